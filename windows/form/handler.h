// What a menu item or a timer runs: a member function of one object, called without arguments.
#pragma once

namespace tintavo {

// Two pointers, copied freely; making or calling one never allocates. An empty handler does nothing.
class Handler {
public:
    Handler() = default;

    // Handler::Of<&MainClockForm::font_Click>(this) calls this->font_Click().
    template <auto Member, typename Object> static Handler Of(Object* object) {
        return Handler{object, [](void* self) { (static_cast<Object*>(self)->*Member)(); }};
    }

    void operator()() const {
        if (call_) call_(object_);
    }

private:
    Handler(void* object, void (*call)(void*)) : object_{object}, call_{call} {}

    void* object_ = nullptr;
    void (*call_)(void*) = nullptr;
};

} // namespace tintavo
