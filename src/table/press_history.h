#pragma once
// Qt decides that a press is the second half of a double click by time,
// distance and button alone, for the whole application. For our widgets a
// double click belongs to one widget: the one that had the press before it.
// This remembers, application-wide, which widget took each press.

#include <Qt>

class QObject;

namespace tarvo {

// Starts watching presses (once per application; later calls do nothing).
void WatchPresses();

// Whether the press before the one being delivered now went to `widget` with
// `button`. Meant for a double-click handler: the double click counts as the
// press being delivered.
bool PressBeforeWas(const QObject* widget, Qt::MouseButton button);

}  // namespace tarvo
