// The mouse button of a press, for the window services and the form layer alike.
#pragma once

namespace tintavo::desktop {

// The codes the clock windows' press handler is written for.
enum class MouseButton : int { Left = 1, Right = 2, Middle = 4 };

} // namespace tintavo::desktop
