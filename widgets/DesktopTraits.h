#pragma once

#include <functional>

// What the floating windows must know of the desktop they are shown on. Only the platform
// layer can tell, and the widgets may not depend on it: the program hands the questions over
// once (setProbes()), and the windows ask each time they need an answer, since a compositor
// may come and go while the program runs. Without probes both answers are yes. GUI thread only.
namespace DesktopTraits {

void setProbes(std::function<bool()> blendsWindows, std::function<bool()> placesWindows);

// Whether see-through parts of a window show what lies behind it. Where no compositing manager
// runs they come out black, so the history, the popup and the progress window then paint every
// pixel themselves: square corners, no see-through frame.
bool blendsWindows();
// Whether a window goes where the program moves it. Where it does not, a window the user
// drags is moved by the desktop itself.
bool placesWindows();

} // namespace DesktopTraits
