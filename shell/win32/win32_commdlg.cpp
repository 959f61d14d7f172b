// GetOpenFileNameW over Qt's file dialog: filter pairs become name filters, the chosen path is
// written back into the caller's buffer with its file-name and extension offsets.
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

#include "shell/win32/win32_internal.h"
#include "shell/win32/win32_qt.h"

namespace {

DWORD g_dialog_error = 0;

// "desc\0pattern\0desc\0pattern\0\0" -> "desc (p1 p2)" entries; the description is what is shown.
QStringList NameFilters(LPCWSTR filter) {
  QStringList filters;
  if (!filter) return filters;
  const WCHAR* p = filter;
  while (*p) {
    const QString description = QString::fromWCharArray(p);
    p += wcslen(p) + 1;
    if (!*p) break;
    QString patterns = QString::fromWCharArray(p);
    p += wcslen(p) + 1;
    patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    filters << description + QStringLiteral(" (") + patterns.simplified() + QLatin1Char(')');
  }
  return filters;
}

}  // namespace

DWORD CommDlgExtendedError() { return g_dialog_error; }

BOOL GetOpenFileNameW(LPOPENFILENAMEW ofn) {
  Win32Application();
  g_dialog_error = 0;
  if (!ofn || ofn->lStructSize != sizeof(OPENFILENAMEW)) {
    g_dialog_error = CDERR_STRUCTSIZE;
    return FALSE;
  }
  const DWORD known = OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_NONETWORKBUTTON |
                      OFN_HIDEREADONLY | OFN_EXPLORER;
  if ((ofn->Flags & ~known) || (ofn->FlagsEx & ~static_cast<DWORD>(OFN_EX_NOPLACESBAR)) || ofn->lpfnHook ||
      ofn->lpTemplateName || ofn->lpstrCustomFilter || !ofn->lpstrFile || ofn->nMaxFile == 0) {
    Win32NotImplemented("GetOpenFileNameW", "these flags, hooks, templates or custom filters");
    g_dialog_error = CDERR_INITIALIZATION;
    return FALSE;
  }
  Win32Window* owner = Win32FromHandle(ofn->hwndOwner);
  QFileDialog dialog(owner ? owner->widget.data() : nullptr);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setWindowModality(Qt::ApplicationModal);
  if (ofn->lpstrTitle) dialog.setWindowTitle(QString::fromWCharArray(ofn->lpstrTitle));
  if (ofn->FlagsEx & OFN_EX_NOPLACESBAR) dialog.setSidebarUrls({});
  const QStringList filters = NameFilters(ofn->lpstrFilter);
  if (!filters.isEmpty()) {
    dialog.setNameFilters(filters);
    const int index = ofn->nFilterIndex >= 1 ? static_cast<int>(ofn->nFilterIndex) - 1 : 0;
    dialog.selectNameFilter(filters.value(index, filters.first()));
  }
  if (ofn->lpstrInitialDir && ofn->lpstrInitialDir[0]) {
    dialog.setDirectory(QString::fromWCharArray(ofn->lpstrInitialDir));
  }
  const QString initial = QString::fromWCharArray(ofn->lpstrFile);
  if (!initial.isEmpty()) dialog.selectFile(initial);
  if (Win32ExecModal(&dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return FALSE;
  if (!filters.isEmpty()) {
    ofn->nFilterIndex = static_cast<DWORD>(filters.indexOf(dialog.selectedNameFilter()) + 1);
  }
  const QString path = QDir::toNativeSeparators(dialog.selectedFiles().first());
  const std::wstring wide = path.toStdWString();
  if (wide.size() + 1 > ofn->nMaxFile) {
    // Too small: the first two characters tell the size needed, as the real dialog does.
    g_dialog_error = FNERR_BUFFERTOOSMALL;
    if (ofn->nMaxFile >= 2) {
      ofn->lpstrFile[0] = static_cast<WCHAR>((wide.size() + 1) & 0xFFFF);
      ofn->lpstrFile[1] = 0;
    }
    return FALSE;
  }
  Win32CopyText(wide, ofn->lpstrFile, static_cast<int>(ofn->nMaxFile));
  const QFileInfo info(path);
  ofn->nFileOffset = static_cast<WORD>(path.size() - info.fileName().size());
  const QString suffix = info.suffix();
  ofn->nFileExtension = suffix.isEmpty() ? 0 : static_cast<WORD>(path.size() - suffix.size());
  if (ofn->lpstrFileTitle && ofn->nMaxFileTitle > 0) {
    Win32CopyText(info.fileName().toStdWString(), ofn->lpstrFileTitle, static_cast<int>(ofn->nMaxFileTitle));
  }
  return TRUE;
}
