#pragma once

#include <QString>

class QWidget;

// What makes a window usable from the keyboard and by a screen reader, done the same way for
// every window.
namespace Reach {

// Names each box of `window` that has no name yet by the caption on its left (the caption
// becomes its buddy), and puts the picture buttons into the Tab order in screen order among
// the window's other controls, whose order the window set. Run once, when the window is first
// shown (every control exists by then).
void Prepare(QWidget *window);

// A caption as a name: without the colon after it, the bullet before it and line breaks.
QString NameFromCaption(const QString &caption);

} // namespace Reach
