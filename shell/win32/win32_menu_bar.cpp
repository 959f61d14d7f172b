// The Qt menu bar behind a window's HMENU, with the keyboard rule of a Windows menu bar: it holds the
// keyboard only while it is in menu mode (an item highlighted or a popup open); when menu mode ends,
// the keyboard goes back to the window that had it.
//
// QMenuBar alone breaks that rule. When a mnemonic (Alt+letter) opens a menu while the bar already
// holds the focus from an earlier menu mode (Alt+F, Escape, Alt+V), the bar records itself as the
// widget to return the focus to. Leaving menu mode then "returns" the focus to the bar, which keeps
// it with nothing highlighted, and from then on takes every Escape as "leave menu mode": the window
// never sees Escape again.
//
// Windows also shows the current title highlighted while the bar is in menu mode with no popup open
// (after Alt+F, Escape), which tells where the keyboard is; most Qt styles highlight a title only while
// its popup is open.
#include <QApplication>
#include <QKeyEvent>
#include <QMenuBar>
#include <QPointer>
#include <QStyleOptionMenuItem>

#include "shell/win32/win32_internal.h"

namespace {

class WindowMenuBar : public QMenuBar {
 public:
  WindowMenuBar() {
    QObject::connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget* now) {
      if (now == this && old != nullptr && old != this && old->window() == window()) return_focus_ = old;
    });
  }

 protected:
  void initStyleOption(QStyleOptionMenuItem* option, const QAction* action) const override {
    QMenuBar::initStyleOption(option, action);
    // The bar has the keyboard only in menu mode; a title the mouse merely passes keeps the style's look.
    if ((option->state & QStyle::State_Selected) && hasFocus()) option->state |= QStyle::State_Sunken;
  }

  void keyPressEvent(QKeyEvent* event) override {
    if (!InMenuMode()) {
      // Out of menu mode the key belongs to the window, as it would have gone there had the focus
      // been given back in time.
      if (QWidget* target = GiveKeyboardBack()) {
        QCoreApplication::sendEvent(target, event);
      } else {
        event->ignore();
      }
      return;
    }
    QMenuBar::keyPressEvent(event);
    if (!InMenuMode()) GiveKeyboardBack();
  }

 private:
  bool InMenuMode() const { return activeAction() != nullptr || QApplication::activePopupWidget() != nullptr; }

  // Moves the focus from the bar to the widget that had it before menu mode (or the window); the
  // widget that now has it, or null when the bar did not have it.
  QWidget* GiveKeyboardBack() {
    if (!hasFocus()) return nullptr;
    QWidget* target = return_focus_;
    if (target == nullptr || !target->isVisible() || !target->isEnabled() || target->window() != window()) {
      target = window();
    }
    target->setFocus(Qt::MenuBarFocusReason);
    return target;
  }

  QPointer<QWidget> return_focus_;
};

}  // namespace

QMenuBar* Win32CreateMenuBar() { return new WindowMenuBar; }
