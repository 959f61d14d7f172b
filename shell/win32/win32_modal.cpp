// The modal loop of the common dialogs. Windows activates the window that was active before a modal
// dialog once the dialog ends; Qt leaves that to the window manager, and without one (or with one that
// does not do it) the keyboard would reach no window of the program until the user clicks one.
#include <QApplication>
#include <QDialog>
#include <QPointer>

#include "shell/win32/win32_internal.h"

int Win32ExecModal(QDialog* dialog) {
  const QPointer<QWidget> previous = QApplication::activeWindow();
  const int result = dialog->exec();
  if (previous && previous->isVisible()) previous->activateWindow();
  return result;
}
