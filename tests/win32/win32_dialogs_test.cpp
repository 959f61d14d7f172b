// Modal dialogs: the message box and the open-file dialog, answered from a timer while they run.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <fstream>

#include "shell/win32/win32_qt.h"
#include "tests/win32/win32_test_support.h"

namespace {

// Calls `answer` on the visible dialog of type T every 20 ms until it returns true (it has answered).
template <typename T>
void AnswerWhenShown(std::function<bool(T*)> answer) {
  QTimer* timer = new QTimer;
  QObject::connect(timer, &QTimer::timeout, [timer, answer]() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      T* dialog = qobject_cast<T*>(widget);
      if (dialog && dialog->isVisible() && answer(dialog)) {
        timer->stop();
        timer->deleteLater();
        return;
      }
    }
  });
  timer->start(20);
}

// Types `path` into the file-name box, as a user would, and accepts.
std::function<bool(QFileDialog*)> Choose(const QString& path) {
  return [path](QFileDialog* dialog) {
    QLineEdit* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    if (!name) return false;
    name->setText(path);
    QMetaObject::invokeMethod(dialog, "accept");
    return true;
  };
}

TEST(Dialogs, MessageBoxReturnsTheButtonPressed) {
  Win32Application();
  QString title;
  AnswerWhenShown<QMessageBox>([&](QMessageBox* box) {
    title = box->windowTitle();
    box->button(QMessageBox::Ok)->click();
    return true;
  });
  EXPECT_EQ(MessageBoxW(nullptr, L"Tandemix", L"About Tandemix", MB_OK), IDOK);
  EXPECT_EQ(title, QStringLiteral("About Tandemix"));
  AnswerWhenShown<QMessageBox>([](QMessageBox* box) {
    box->button(QMessageBox::No)->click();
    return true;
  });
  EXPECT_EQ(MessageBoxW(nullptr, L"?", L"Q", MB_YESNO | MB_ICONQUESTION), IDNO);
  EXPECT_EQ(MessageBoxW(nullptr, L"?", L"Q", 0x00000005 /* MB_RETRYCANCEL */), 0);
}

class OpenFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Win32Application();
    ASSERT_TRUE(dir_.isValid());
    path_ = dir_.filePath("clip.mkv");
    std::ofstream(path_.toStdString()) << "x";
    ofn_.lStructSize = sizeof(ofn_);
    ofn_.lpstrFilter = L"Matroska (*.mkv)\0*.mkv\0All Files (*.*)\0*.*\0";
    ofn_.nFilterIndex = 1;
    ofn_.lpstrFile = file_;
    ofn_.nMaxFile = 259;
    ofn_.lpstrTitle = L"Open Media File";
    ofn_.Flags = OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_NONETWORKBUTTON;
    ofn_.FlagsEx = OFN_EX_NOPLACESBAR;
    dir_path_ = dir_.path().toStdWString();
    ofn_.lpstrInitialDir = dir_path_.c_str();
  }
  QTemporaryDir dir_;
  QString path_;
  std::wstring dir_path_;
  WCHAR file_[260] = {};
  OPENFILENAMEW ofn_ = {};
};

TEST_F(OpenFileTest, ChosenFileComesBackWithOffsets) {
  QStringList filters;
  QString title;
  const auto choose = Choose(path_);
  AnswerWhenShown<QFileDialog>([&](QFileDialog* dialog) {
    filters = dialog->nameFilters();
    title = dialog->windowTitle();
    return choose(dialog);
  });
  ASSERT_TRUE(GetOpenFileNameW(&ofn_));
  EXPECT_EQ(QString::fromWCharArray(file_), path_);
  EXPECT_EQ(ofn_.nFileOffset, static_cast<WORD>(path_.size() - 8));
  EXPECT_EQ(ofn_.nFileExtension, static_cast<WORD>(path_.size() - 3));
  EXPECT_EQ(title, QStringLiteral("Open Media File"));
  EXPECT_EQ(filters, (QStringList{"Matroska (*.mkv) (*.mkv)", "All Files (*.*) (*.*)"}));
}

TEST_F(OpenFileTest, CancelAndTooSmallBufferReturnFalse) {
  AnswerWhenShown<QFileDialog>([](QFileDialog* dialog) {
    dialog->reject();
    return true;
  });
  EXPECT_FALSE(GetOpenFileNameW(&ofn_));
  EXPECT_EQ(CommDlgExtendedError(), 0u);

  ofn_.nMaxFile = 5;
  AnswerWhenShown<QFileDialog>(Choose(path_));
  EXPECT_FALSE(GetOpenFileNameW(&ofn_));
  EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(FNERR_BUFFERTOOSMALL));
  EXPECT_EQ(file_[0], static_cast<WCHAR>(path_.size() + 1));  // the size it needs

  ofn_.Flags |= OFN_ALLOWMULTISELECT;
  EXPECT_FALSE(GetOpenFileNameW(&ofn_));
  EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(CDERR_INITIALIZATION));
}

// As on Windows, the window active before a modal dialog is active again after it, window manager or not.
TEST_F(OpenFileTest, TheWindowActiveBeforeTheDialogIsActiveAgainAfterIt) {
  StartRecording();
  HWND owner = CreateWindowExW(0, RecordingClass(), L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 300, 200,
                               nullptr, nullptr, nullptr, nullptr);
  QWidget* top = WidgetOf(owner)->window();
  top->activateWindow();
  ASSERT_TRUE(PumpUntil([top] { return QApplication::activeWindow() == top; }));
  ofn_.hwndOwner = owner;
  AnswerWhenShown<QFileDialog>([](QFileDialog* dialog) { return dialog->close(); });
  EXPECT_FALSE(GetOpenFileNameW(&ofn_));
  EXPECT_TRUE(PumpUntil([top] { return QApplication::activeWindow() == top; }));
  DestroyWindow(owner);
}

}  // namespace
