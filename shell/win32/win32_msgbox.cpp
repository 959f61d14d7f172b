// MessageBoxW over QMessageBox: modal, with the button sets and icons of the MB_ flags.
#include <QMessageBox>

#include "shell/win32/win32_internal.h"
#include "shell/win32/win32_qt.h"

int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
  Win32Application();
  const UINT buttons = type & 0x0F;
  const UINT icon = type & 0xF0;
  if ((type & ~0xFFu) ||
      (buttons != MB_OK && buttons != MB_OKCANCEL && buttons != MB_YESNO && buttons != MB_YESNOCANCEL)) {
    Win32NotImplemented("MessageBoxW", "this button set or option");
    return 0;
  }
  if (owner && !Win32FromHandle(owner)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  Win32Window* window = Win32FromHandle(owner);
  QMessageBox box(window ? window->widget.data() : nullptr);
  box.setWindowTitle(caption ? Win32ToQString(caption) : QStringLiteral("Error"));
  box.setText(Win32ToQString(text));
  switch (icon) {
    case MB_ICONERROR:
      box.setIcon(QMessageBox::Critical);
      break;
    case MB_ICONQUESTION:
      box.setIcon(QMessageBox::Question);
      break;
    case MB_ICONWARNING:
      box.setIcon(QMessageBox::Warning);
      break;
    case MB_ICONINFORMATION:
      box.setIcon(QMessageBox::Information);
      break;
    default:
      break;
  }
  switch (buttons) {
    case MB_OK:
      box.setStandardButtons(QMessageBox::Ok);
      break;
    case MB_OKCANCEL:
      box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
      break;
    case MB_YESNO:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      break;
    default:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
      break;
  }
  box.setWindowModality(Qt::ApplicationModal);
  const int result = Win32ExecModal(&box);
  switch (result) {
    case QMessageBox::Ok:
      return IDOK;
    case QMessageBox::Yes:
      return IDYES;
    case QMessageBox::No:
      return IDNO;
    case QMessageBox::Cancel:
      return IDCANCEL;
    default:
      // Closed by the window's close box: Cancel where there is one, else the only answer.
      if (buttons == MB_OK) return IDOK;
      if (buttons == MB_YESNO) return IDNO;
      return IDCANCEL;
  }
}
