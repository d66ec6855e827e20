// What a menu item, a timer or a control's notification runs: a member function of one object.
#pragma once

namespace tintavo {

// Two pointers, copied freely; making or calling one never allocates. An empty handler does nothing.
// HandlerTaking<bool> calls a member that takes a bool; Handler, the usual one, a member without arguments.
template <typename... Args> class HandlerTaking {
public:
    HandlerTaking() = default;

    // Handler::Of<&MainClockForm::font_Click>(this) calls this->font_Click().
    template <auto Member, typename Object> static HandlerTaking Of(Object* object) {
        return HandlerTaking{
            object, [](void* self, Args... args) { (static_cast<Object*>(self)->*Member)(args...); }};
    }

    void operator()(Args... args) const {
        if (call_) call_(object_, args...);
    }

private:
    HandlerTaking(void* object, void (*call)(void*, Args...)) : object_{object}, call_{call} {}

    void* object_ = nullptr;
    void (*call_)(void*, Args...) = nullptr;
};

using Handler = HandlerTaking<>;

} // namespace tintavo
