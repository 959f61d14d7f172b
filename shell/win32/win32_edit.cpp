// The edit control "Edit": a single-line edit box whose text is the window text. As the in-place
// label editor of a list view it reports Enter, Escape and the loss of focus to that list view.
#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>

#include "shell/win32/win32_internal.h"
#include "shell/win32/win32_listview.h"

namespace {

class EditWidget : public QLineEdit {
 public:
  EditWidget(HWND hwnd, QWidget* parent) : QLineEdit(parent), hwnd_(hwnd) { setFrame(true); }

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Escape) {
      // Ending the edit destroys this box, so it happens from the message queue, not here.
      Win32PostKey(hwnd_, event, true);
      event->accept();
      return;
    }
    QLineEdit::keyPressEvent(event);
  }
  void focusOutEvent(QFocusEvent* event) override {
    QLineEdit::focusOutEvent(event);
    if (event->reason() != Qt::PopupFocusReason && isVisible() && Win32FromHandle(hwnd_)) {
      Win32Post(hwnd_, WM_KILLFOCUS, 0, 0);
    }
  }

 private:
  HWND hwnd_;
};

EditWidget* EditOf(HWND hwnd) {
  Win32Window* window = Win32FromHandle(hwnd);
  return window ? dynamic_cast<EditWidget*>(window->widget.data()) : nullptr;
}

// The list view this box edits a label of, or null.
HWND LabelOwner(HWND hwnd) {
  Win32Window* window = Win32FromHandle(hwnd);
  if (!window) return nullptr;
  Win32Window* parent = Win32FromHandle(window->parent);
  return parent && parent->window_class->kind == Win32ClassKind::kListView ? window->parent : nullptr;
}

}  // namespace

QWidget* Win32CreateEdit(Win32Window* window, QWidget* parent) {
  EditWidget* edit = new EditWidget(window->hwnd, parent);
  edit->setText(Win32ToQString(window->text.c_str()));
  return edit;
}

LRESULT Win32EditProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  EditWidget* edit = EditOf(hwnd);
  if (!edit) return DefWindowProcW(hwnd, message, wParam, lParam);
  switch (message) {
    case WM_SETTEXT: {
      const LPCWSTR text = reinterpret_cast<LPCWSTR>(lParam);
      edit->setText(Win32ToQString(text));
      return TRUE;
    }
    case WM_GETTEXT:
      return Win32CopyText(Win32ToWide(edit->text()), reinterpret_cast<LPWSTR>(lParam), static_cast<int>(wParam));
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(Win32ToWide(edit->text()).size());
    case EM_SETSEL: {
      const int start = static_cast<int>(wParam);
      const int end = static_cast<int>(lParam);
      if (start == -1) {
        edit->deselect();
      } else if (end == -1) {
        edit->setSelection(start, static_cast<int>(edit->text().size()) - start);
      } else {
        edit->setSelection(start, end - start);
      }
      return 0;
    }
    case WM_KEYDOWN:
      if (HWND list = LabelOwner(hwnd)) {
        if (wParam == VK_RETURN) return SendMessageW(list, kWin32ListEndLabelEdit, TRUE, 0);
        if (wParam == VK_ESCAPE) return SendMessageW(list, kWin32ListEndLabelEdit, FALSE, 0);
      }
      return 0;
    case WM_KILLFOCUS:
      if (HWND list = LabelOwner(hwnd)) return SendMessageW(list, kWin32ListEndLabelEdit, TRUE, 0);
      return 0;
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}
