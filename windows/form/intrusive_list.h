// A list whose links are held by the listed objects themselves: adding never allocates, and there is no
// capacity to run out of. For objects that live at least as long as their place in the list.
#pragma once

namespace tintavo {

// T derives from IntrusiveList<T>::Link and is in at most one such list.
template <typename T> class IntrusiveList {
public:
    class Link {
        friend class IntrusiveList;
        T* next_ = nullptr;
    };

    class Iterator {
    public:
        explicit Iterator(T* at) : at_{at} {}
        T& operator*() const { return *at_; }
        Iterator& operator++() {
            at_ = LinkOf(*at_).next_;
            return *this;
        }
        bool operator==(const Iterator&) const = default;

    private:
        T* at_;
    };

    constexpr IntrusiveList() = default;
    IntrusiveList(const IntrusiveList&) = delete; // the last link points into the list itself
    IntrusiveList& operator=(const IntrusiveList&) = delete;

    void Append(T& item) {
        *last_ = &item;
        last_ = &LinkOf(item).next_;
    }

    void Remove(T& item) {
        T** link = &first_;
        while (*link && *link != &item)
            link = &LinkOf(**link).next_;
        if (!*link) return;
        *link = LinkOf(item).next_;
        if (last_ == &LinkOf(item).next_) last_ = link;
        LinkOf(item).next_ = nullptr;
    }

    Iterator begin() const { return Iterator{first_}; }
    Iterator end() const { return Iterator{nullptr}; }

private:
    static Link& LinkOf(T& item) { return item; }

    T* first_ = nullptr;
    T** last_ = &first_;
};

} // namespace tintavo
