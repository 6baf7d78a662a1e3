#include "ui/chrome/Reach.h"

#include "ui/chrome/ImageButton.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <algorithm>

namespace {

// Controls whose tops differ by no more than this stand on one line.
constexpr int LineSlack = 8;
// A caption further left of its box than this belongs to something else.
constexpr int CaptionReach = 40;

QRect InWindow(const QWidget *w, const QWidget *window) {
    return QRect(w->mapTo(window, QPoint(0, 0)), w->size());
}

bool InsideOf(const QWidget *w, const char *className, const QWidget *window) {
    for (const QWidget *p = w->parentWidget(); p && p != window; p = p->parentWidget())
        if (p->inherits(className))
            return true;
    return false;
}

bool IsBox(const QWidget *w) {
    return qobject_cast<const QLineEdit *>(w) || qobject_cast<const QComboBox *>(w) ||
           qobject_cast<const QPlainTextEdit *>(w) || qobject_cast<const QTextEdit *>(w) ||
           qobject_cast<const QAbstractSpinBox *>(w) || qobject_cast<const QAbstractItemView *>(w);
}

bool HasBuddyLabel(const QWidget *box, const QList<QLabel *> &labels) {
    return std::any_of(labels.begin(), labels.end(),
                       [box](const QLabel *l) { return l->buddy() == box; });
}

// The caption that stands on the box's line, right before it.
QLabel *CaptionOf(const QWidget *box, const QList<QLabel *> &labels, const QWidget *window) {
    const QRect b = InWindow(box, window);
    QLabel *best = nullptr;
    int bestGap = CaptionReach + 1;
    for (QLabel *l : labels) {
        if (l->buddy() || l->text().trimmed().isEmpty())
            continue;
        const QRect r = InWindow(l, window);
        const int gap = b.left() - r.right();
        // The caption stands beside the box's first line (a list's caption at its top).
        const int line = b.top() + std::min(b.height(), r.height()) / 2;
        const bool sameLine = r.top() <= line && line <= r.bottom();
        if (sameLine && gap >= -4 && gap < bestGap) {
            best = l;
            bestGap = gap;
        }
    }
    return best;
}

void NameBoxes(QWidget *window) {
    const QList<QLabel *> labels = window->findChildren<QLabel *>();
    for (QWidget *w : window->findChildren<QWidget *>()) {
        if (!IsBox(w) || !w->accessibleName().isEmpty() || w->window() != window)
            continue;
        // A list box's text line and a spin box's editor are parts of their control.
        if (InsideOf(w, "QComboBox", window) || InsideOf(w, "QAbstractSpinBox", window))
            continue;
        if (HasBuddyLabel(w, labels))
            continue;
        if (QLabel *caption = CaptionOf(w, labels, window)) {
            caption->setBuddy(w);
            w->setAccessibleName(Reach::NameFromCaption(caption->text()));
        }
    }
}

bool TakesTab(const QWidget *w) {
    return (w->focusPolicy() & Qt::TabFocus) == Qt::TabFocus && !w->focusProxy();
}

// Top to bottom, and left to right along one line.
QList<ImageButton *> InScreenOrder(QList<ImageButton *> buttons, const QWidget *window) {
    std::stable_sort(buttons.begin(), buttons.end(), [window](ImageButton *a, ImageButton *b) {
        return InWindow(a, window).top() < InWindow(b, window).top();
    });
    for (int first = 0; first < buttons.size();) {
        const int top = InWindow(buttons[first], window).top();
        int end = first + 1;
        while (end < buttons.size() && InWindow(buttons[end], window).top() - top <= LineSlack)
            ++end;
        std::stable_sort(buttons.begin() + first, buttons.begin() + end,
                         [window](ImageButton *a, ImageButton *b) {
                             return InWindow(a, window).left() < InWindow(b, window).left();
                         });
        first = end;
    }
    return buttons;
}

bool Before(const QWidget *a, const QWidget *b, const QWidget *window) {
    const QRect ra = InWindow(a, window), rb = InWindow(b, window);
    if (std::abs(ra.top() - rb.top()) <= LineSlack)
        return ra.left() < rb.left();
    return ra.top() < rb.top();
}

void OrderButtons(QWidget *window) {
    QList<ImageButton *> buttons;
    for (ImageButton *b : window->findChildren<ImageButton *>())
        if (b->window() == window) {
            b->setFocusPolicy(Qt::StrongFocus);
            buttons << b;
        }
    if (buttons.isEmpty())
        return;
    buttons = InScreenOrder(buttons, window);
    // The other controls in the order the window gave them.
    QList<QWidget *> others;
    for (QWidget *w = window->nextInFocusChain(); w && w != window; w = w->nextInFocusChain())
        if (w->window() == window && !qobject_cast<ImageButton *>(w) && TakesTab(w) &&
            !InsideOf(w, "QComboBox", window) && !InsideOf(w, "QAbstractSpinBox", window))
            others << w;
    QList<QWidget *> order;
    int next = 0;
    for (QWidget *w : others) {
        while (next < buttons.size() && Before(buttons[next], w, window))
            order << buttons[next++];
        order << w;
    }
    while (next < buttons.size())
        order << buttons[next++];
    for (int i = 0; i + 1 < order.size(); ++i)
        QWidget::setTabOrder(order[i], order[i + 1]);
}

} // namespace

namespace Reach {

QString NameFromCaption(const QString &caption) {
    QString name = caption;
    name.remove(QLatin1Char('\n'));
    name = name.trimmed();
    while (name.endsWith(QStringLiteral("：")) || name.endsWith(QLatin1Char(':')))
        name.chop(1);
    if (name.startsWith(QStringLiteral("・")))
        name.remove(0, 1);
    return name.trimmed();
}

void Prepare(QWidget *window) {
    // Tab leaves a text box as it leaves any other: no box keeps the keyboard in.
    for (QPlainTextEdit *box : window->findChildren<QPlainTextEdit *>())
        box->setTabChangesFocus(true);
    for (QTextEdit *box : window->findChildren<QTextEdit *>())
        box->setTabChangesFocus(true);
    NameBoxes(window);
    OrderButtons(window);
}

} // namespace Reach
