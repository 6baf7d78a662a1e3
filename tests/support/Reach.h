#pragma once

#include "ui/chrome/ImageButton.h"
#include "ui/chrome/Reach.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextDocument>
#include <QTextLayout>
#include <cmath>

// What the keyboard and a screen reader meet in a window, and whether each text fits its box.
namespace reach {

// The name a screen reader says. Over AT-SPI a list box with text is named by its text and
// told its caption through the label relation: the caption counts then.
inline QString NameOf(QWidget *w) {
    QAccessibleInterface *a = QAccessible::queryAccessibleInterface(w);
    if (!a)
        return QString();
    if (qobject_cast<QComboBox *>(w))
        for (const auto &relation : a->relations(QAccessible::Label))
            return Reach::NameFromCaption(relation.first->text(QAccessible::Name));
    return a->text(QAccessible::Name);
}

inline QAccessible::Role RoleOf(QWidget *w) {
    QAccessibleInterface *a = QAccessible::queryAccessibleInterface(w);
    return a ? a->role() : QAccessible::NoRole;
}

// The control that has the focus: a list box rather than its text line.
inline QWidget *FocusedControl() {
    QWidget *w = QApplication::focusWidget();
    if (w && w->parentWidget() && qobject_cast<QComboBox *>(w->parentWidget()))
        return w->parentWidget();
    return w;
}

// Presses Tab from the window's focus until the focus comes back to where the walk began;
// each control as "objectName=accessible name". A control that keeps Tab ends the walk too.
inline QStringList TabCycle(QWidget *window, int limit = 80) {
    window->activateWindow();
    QStringList seen;
    QWidget *first = nullptr;
    QWidget *last = nullptr;
    for (int i = 0; i < limit; ++i) {
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : window,
                        Qt::Key_Tab);
        QWidget *now = FocusedControl();
        if (!now || now == first)
            break;
        if (now == last) {
            seen << now->objectName() + QStringLiteral(" keeps Tab");
            break;
        }
        if (!first)
            first = now;
        last = now;
        seen << now->objectName() + QLatin1Char('=') + NameOf(now);
    }
    return seen;
}

// The height of a line of Japanese text in `font`: its glyphs may come from a taller fallback
// font than the font's own metrics tell.
inline int JapaneseLineHeight(const QFont &font) {
    QTextLayout layout(QStringLiteral("東京都港区（ｱｲｳ）"), font);
    layout.beginLayout();
    const QTextLine line = layout.createLine();
    layout.endLayout();
    return std::max(QFontMetrics(font).lineSpacing(), int(std::ceil(line.height())));
}

inline bool IsPartOfControl(const QWidget *w, const QWidget *window) {
    for (const QWidget *p = w->parentWidget(); p && p != window; p = p->parentWidget())
        if (qobject_cast<const QComboBox *>(p) || qobject_cast<const QAbstractScrollArea *>(p) ||
            p->inherits("QAbstractSpinBox"))
            return true;
    return false;
}

// What is wrong, one line each: a control the keyboard reaches without a name, a picture
// button that is not a push button named by its tooltip, markup in a description, a text
// wider or taller than its box (by the font's metrics), a control outside its parent.
inline QStringList Problems(QWidget *window) {
    QStringList problems;
    for (QWidget *w : window->findChildren<QWidget *>()) {
        if (w->window() != window || IsPartOfControl(w, window))
            continue;
        const QString id = w->objectName().isEmpty()
                               ? QString::fromLatin1(w->metaObject()->className())
                               : w->objectName();
        const auto problem = [&](const QString &what) { problems << id + QLatin1Char(' ') + what; };
        QAccessibleInterface *a = QAccessible::queryAccessibleInterface(w);
        if (a && a->text(QAccessible::Description).contains(QLatin1String("<qt>")))
            problem(QStringLiteral("has markup in its description"));
        const bool takesTab = (w->focusPolicy() & Qt::TabFocus) && !w->focusProxy();
        if (takesTab && NameOf(w).trimmed().isEmpty())
            problem(QStringLiteral("has no name"));
        if (auto *b = qobject_cast<ImageButton *>(w)) {
            const QString name = b->accessibleName().isEmpty() ? b->name() : b->accessibleName();
            if (RoleOf(b) != QAccessible::Button || NameOf(b) != name || name.isEmpty())
                problem(QStringLiteral("is not a push button named by its tooltip"));
            if (!takesTab)
                problem(QStringLiteral("is not reached by Tab"));
        }
        if (!w->isVisibleTo(window))
            continue;
        if (w->parentWidget() && !w->parentWidget()->rect().contains(w->geometry()))
            problem(QStringLiteral("lies outside its parent"));
        const QFontMetrics fm = w->fontMetrics();
        if (auto *b = qobject_cast<ImageButton *>(w)) {
            if (!b->rect().contains(b->faceRect()))
                problem(QStringLiteral("cuts its face"));
        } else if (auto *l = qobject_cast<QLabel *>(w)) {
            const QRect box =
                l->contentsRect().adjusted(l->margin(), l->margin(), -l->margin(), -l->margin());
            if (l->text().isEmpty() || !l->pixmap().isNull()) {
            } else if (l->wordWrap()) {
                if (l->heightForWidth(l->width()) > l->height())
                    problem(QStringLiteral("wraps taller than its box"));
            } else {
                const QStringList lines = l->text().split(QLatin1Char('\n'));
                for (const QString &line : lines)
                    if (fm.horizontalAdvance(line) > box.width())
                        problem(QStringLiteral("cuts \"%1\"").arg(line));
                if (JapaneseLineHeight(l->font()) * lines.size() > box.height() + 2)
                    problem(QStringLiteral("is lower than its lines"));
            }
        } else if (auto *g = qobject_cast<QGroupBox *>(w)) {
            if (fm.horizontalAdvance(g->title()) > g->width() - 16)
                problem(QStringLiteral("cuts its title"));
        } else if (auto *b = qobject_cast<QAbstractButton *>(w)) {
            const int padding = qobject_cast<QPushButton *>(w) ? 6 : 0;
            if (fm.horizontalAdvance(b->text()) + padding > b->width())
                problem(QStringLiteral("cuts \"%1\"").arg(b->text()));
        } else if (qobject_cast<QLineEdit *>(w) || qobject_cast<QComboBox *>(w)) {
            if (JapaneseLineHeight(w->font()) + 2 > w->height())
                problem(QStringLiteral("is lower than a line"));
        } else if (auto *e = qobject_cast<QPlainTextEdit *>(w)) {
            const int lines = (e->viewport()->height() - 2 * int(e->document()->documentMargin())) /
                              JapaneseLineHeight(e->font());
            if (lines < 2)
                problem(QStringLiteral("shows %1 line").arg(lines));
        }
    }
    return problems;
}

} // namespace reach
