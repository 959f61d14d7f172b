// The list-view control "SysListView32" in report view: columns, items with a text per column, an
// lParam and the focused / selected states, custom-drawn rows (NM_CUSTOMDRAW colours), clicks as
// NM_CLICK / NM_DBLCLK, scrolling by whole rows (LVN_ENDSCROLL), and in-place label editing through an
// "Edit" window.
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTreeWidget>

#include "shell/win32/win32_internal.h"
#include "shell/win32/win32_listview.h"

namespace {

constexpr int kTextPadding = 4;

QColor ToColor(COLORREF color) { return QColor(GetRValue(color), GetGValue(color), GetBValue(color)); }

COLORREF ToColorRef(const QColor& color) { return RGB(color.red(), color.green(), color.blue()); }

class ListViewWidget : public QTreeWidget {
 public:
  ListViewWidget(HWND hwnd, DWORD style, QWidget* parent) : QTreeWidget(parent), hwnd_(hwnd) {
    setRootIsDecorated(false);
    setIndentation(0);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode((style & LVS_SINGLESEL) ? QAbstractItemView::SingleSelection
                                             : QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setFrameShape((style & WS_BORDER) ? QFrame::Box : QFrame::NoFrame);
    setColumnCount(0);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    if (style & LVS_NOCOLUMNHEADER) header()->hide();
    show_selection_always_ = (style & LVS_SHOWSELALWAYS) != 0;
    // Report view scrolls by whole rows; a scroll bar shows only where the style asks for one.
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setVerticalScrollBarPolicy((style & WS_VSCROLL) ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy((style & WS_HSCROLL) ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    top_row_ = verticalScrollBar()->value();
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int top_row) {
      Win32Post(hwnd_, kWin32ListScrolled, 0, static_cast<LPARAM>(top_row - top_row_) * RowHeight());
      top_row_ = top_row;
    });
  }

  ~ListViewWidget() override { verticalScrollBar()->disconnect(this); }

  int RowHeight() const {
    QTreeWidgetItem* item = topLevelItem(0);
    return item ? qMax(1, visualItemRect(item).height()) : 1;
  }
  int TopRow() const { return verticalScrollBar()->value(); }

  HWND edit = nullptr;  // the label editor while an edit is in progress
  int edit_item = -1;
  bool ending_edit = false;    // LVN_ENDLABELEDITW is being sent; the editor still exists
  bool click_pending = false;  // the left button went down on the list and no click was reported yet
  LPARAM click_point = 0;      // where it went down
  DWORD extended_style = 0;
  std::vector<int> column_formats;

 protected:
  void paintEvent(QPaintEvent* event) override {
    prepaint_result_ = Notify(CDDS_PREPAINT, -1, QRect(QPoint(0, 0), viewport()->size()));
    QTreeWidget::paintEvent(event);
  }

  void drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    const int row = index.row();
    QTreeWidgetItem* item = topLevelItem(row);
    if (!item) return;
    const bool selected = selectionModel()->isRowSelected(row, QModelIndex());
    const bool focused = currentIndex().isValid() && currentIndex().row() == row;
    NMLVCUSTOMDRAW draw = {};
    draw.clrText = ToColorRef(palette().color(QPalette::Text));
    draw.clrTextBk = ToColorRef(palette().color(QPalette::Base));
    if (prepaint_result_ & CDRF_NOTIFYITEMDRAW) {
      draw.nmcd.uItemState = (selected ? CDIS_SELECTED : 0) | (focused && hasFocus() ? CDIS_FOCUS : 0);
      draw.nmcd.lItemlParam = item->data(0, Qt::UserRole).value<qintptr>();
      const LRESULT result = const_cast<ListViewWidget*>(this)->Notify(CDDS_ITEMPREPAINT, row, option.rect, &draw);
      if (result & CDRF_SKIPDEFAULT) return;
    }
    QColor text = draw.clrText == CLR_DEFAULT ? palette().color(QPalette::Text) : ToColor(draw.clrText);
    QColor background = draw.clrTextBk == CLR_DEFAULT || draw.clrTextBk == CLR_NONE
                            ? palette().color(QPalette::Base)
                            : ToColor(draw.clrTextBk);
    if (selected && (hasFocus() || show_selection_always_)) {
      const QPalette::ColorGroup group = hasFocus() ? QPalette::Active : QPalette::Inactive;
      background = hasFocus() ? palette().color(group, QPalette::Highlight) : palette().color(QPalette::Button);
      text = hasFocus() ? palette().color(group, QPalette::HighlightedText)
                        : palette().color(QPalette::ButtonText);
    }
    for (int column = 0; column < columnCount(); ++column) {
      const QRect cell(columnViewportPosition(column), option.rect.y(), columnWidth(column), option.rect.height());
      painter->fillRect(cell, background);
      painter->setPen(text);
      const QRect text_rect = cell.adjusted(kTextPadding, 0, -kTextPadding, 0);
      const QString label = option.fontMetrics.elidedText(item->text(column), Qt::ElideRight, text_rect.width());
      painter->drawText(text_rect, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, label);
    }
  }

  void mousePressEvent(QMouseEvent* event) override {
    QTreeWidget::mousePressEvent(event);
    if (event->button() == Qt::LeftButton) PostMouse(WM_LBUTTONDOWN, event);
  }
  void mouseReleaseEvent(QMouseEvent* event) override {
    QTreeWidget::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton) PostMouse(WM_LBUTTONUP, event);
  }
  void mouseDoubleClickEvent(QMouseEvent* event) override {
    if (event->button() != Qt::LeftButton) {
      QTreeWidget::mouseDoubleClickEvent(event);
      return;
    }
    // The second press of a double click is a double click only, as in Win32. Qt's item view would
    // turn it into a plain press when it did not see the first press on the same row, for example
    // when the list was created between the two presses, and that press would be a second click.
    event->accept();
    PostMouse(WM_LBUTTONDBLCLK, event);
  }

 private:
  void PostMouse(UINT message, const QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    Win32Post(hwnd_, message, 1, MAKELPARAM(point.x(), point.y()));
  }

  LRESULT Notify(DWORD stage, int row, const QRect& rect, NMLVCUSTOMDRAW* draw = nullptr) {
    Win32Window* window = Win32FromHandle(hwnd_);
    if (!window || !Win32FromHandle(window->parent)) return CDRF_DODEFAULT;
    NMLVCUSTOMDRAW local = {};
    if (!draw) draw = &local;
    draw->nmcd.hdr.hwndFrom = hwnd_;
    draw->nmcd.hdr.idFrom = window->id;
    draw->nmcd.hdr.code = NM_CUSTOMDRAW;
    draw->nmcd.dwDrawStage = stage;
    draw->nmcd.rc = RECT{rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()};
    draw->nmcd.dwItemSpec = static_cast<DWORD_PTR>(row < 0 ? 0 : row);
    return SendMessageW(window->parent, WM_NOTIFY, window->id, reinterpret_cast<LPARAM>(draw));
  }

  HWND hwnd_;
  bool show_selection_always_ = false;
  LRESULT prepaint_result_ = CDRF_DODEFAULT;
  int top_row_ = 0;  // the first shown row, as last reported
};

ListViewWidget* ListOf(HWND hwnd) {
  Win32Window* window = Win32FromHandle(hwnd);
  return window ? dynamic_cast<ListViewWidget*>(window->widget.data()) : nullptr;
}

LRESULT NotifyParent(HWND hwnd, NMHDR* header, UINT code) {
  Win32Window* window = Win32FromHandle(hwnd);
  if (!window || !Win32FromHandle(window->parent)) return 0;
  header->hwndFrom = hwnd;
  header->idFrom = window->id;
  header->code = code;
  return SendMessageW(window->parent, WM_NOTIFY, window->id, reinterpret_cast<LPARAM>(header));
}

UINT ItemState(ListViewWidget* list, int row) {
  UINT state = 0;
  if (list->currentIndex().isValid() && list->currentIndex().row() == row) state |= LVIS_FOCUSED;
  if (list->selectionModel()->isRowSelected(row, QModelIndex())) state |= LVIS_SELECTED;
  return state;
}

void SetItemState(ListViewWidget* list, int row, UINT state, UINT mask) {
  QTreeWidgetItem* item = list->topLevelItem(row);
  if (!item) return;
  const QModelIndex index = list->indexFromItem(item, 0);
  if (mask & LVIS_SELECTED) {
    const bool on = (state & LVIS_SELECTED) != 0;
    if (on != list->selectionModel()->isRowSelected(row, QModelIndex())) {
      QItemSelectionModel::SelectionFlags flags = on ? QItemSelectionModel::Select : QItemSelectionModel::Deselect;
      if (on && list->selectionMode() == QAbstractItemView::SingleSelection) {
        flags = QItemSelectionModel::ClearAndSelect;
      }
      list->selectionModel()->select(index, flags | QItemSelectionModel::Rows);
    }
  }
  if (mask & LVIS_FOCUSED) {
    const bool focused = list->currentIndex().isValid() && list->currentIndex().row() == row;
    if ((state & LVIS_FOCUSED) && !focused) {
      list->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    } else if (!(state & LVIS_FOCUSED) && focused) {
      list->selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    }
  }
}

BOOL GetItem(ListViewWidget* list, LVITEMW* lv) {
  QTreeWidgetItem* item = list->topLevelItem(lv->iItem);
  if (!item || lv->iSubItem < 0 || lv->iSubItem >= qMax(1, list->columnCount())) return FALSE;
  if (lv->mask & LVIF_TEXT) {
    Win32CopyText(Win32ToWide(item->text(lv->iSubItem)), lv->pszText, lv->cchTextMax);
  }
  if (lv->mask & LVIF_STATE) lv->state = ItemState(list, lv->iItem) & lv->stateMask;
  if (lv->mask & LVIF_PARAM) lv->lParam = item->data(0, Qt::UserRole).value<qintptr>();
  return TRUE;
}

BOOL SetItem(ListViewWidget* list, const LVITEMW* lv) {
  QTreeWidgetItem* item = list->topLevelItem(lv->iItem);
  if (!item || lv->iSubItem < 0 || lv->iSubItem >= qMax(1, list->columnCount())) return FALSE;
  if (lv->mask & ~(LVIF_TEXT | LVIF_STATE | LVIF_PARAM)) {
    Win32NotImplemented("LVM_SETITEMW", "images, indents, groups and columns");
    return FALSE;
  }
  if (lv->mask & LVIF_TEXT) item->setText(lv->iSubItem, Win32ToQString(lv->pszText));
  if ((lv->mask & LVIF_PARAM) && lv->iSubItem == 0)
    item->setData(0, Qt::UserRole, QVariant::fromValue<qintptr>(lv->lParam));
  if ((lv->mask & LVIF_STATE) && lv->iSubItem == 0) SetItemState(list, lv->iItem, lv->state, lv->stateMask);
  return TRUE;
}

int InsertItem(ListViewWidget* list, const LVITEMW* lv) {
  if (lv->iSubItem != 0 || lv->iItem < 0) return -1;
  if (lv->mask & ~(LVIF_TEXT | LVIF_STATE | LVIF_PARAM)) {
    Win32NotImplemented("LVM_INSERTITEMW", "images, indents, groups and columns");
    return -1;
  }
  const int row = qMin(lv->iItem, list->topLevelItemCount());
  QTreeWidgetItem* item = new QTreeWidgetItem;
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  if (lv->mask & LVIF_TEXT) item->setText(0, Win32ToQString(lv->pszText));
  if (lv->mask & LVIF_PARAM) item->setData(0, Qt::UserRole, QVariant::fromValue<qintptr>(lv->lParam));
  list->insertTopLevelItem(row, item);
  if (lv->mask & LVIF_STATE) SetItemState(list, row, lv->state, lv->stateMask);
  return row;
}

int InsertColumn(ListViewWidget* list, int index, const LVCOLUMNW* column) {
  if (!column || index < 0) return -1;
  if (column->mask & ~(LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM)) {
    Win32NotImplemented("LVM_INSERTCOLUMNW", "images, order and width limits");
    return -1;
  }
  if ((column->mask & LVCF_FMT) && column->fmt != LVCFMT_LEFT) {
    Win32NotImplemented("LVM_INSERTCOLUMNW", "column formats other than LVCFMT_LEFT");
    return -1;
  }
  const int count = list->columnCount();
  const int at = qMin(index, count);
  list->setColumnCount(count + 1);
  // Shift the texts of later columns one to the right.
  for (int row = 0; row < list->topLevelItemCount(); ++row) {
    QTreeWidgetItem* item = list->topLevelItem(row);
    for (int c = count; c > at; --c) item->setText(c, item->text(c - 1));
    item->setText(at, QString());
  }
  QTreeWidgetItem* header = list->headerItem();
  for (int c = count; c > at; --c) header->setText(c, header->text(c - 1));
  header->setText(at, (column->mask & LVCF_TEXT) ? Win32ToQString(column->pszText) : QString());
  list->header()->resizeSection(at, (column->mask & LVCF_WIDTH) ? column->cx : 100);
  for (int c = count; c > at; --c) list->header()->resizeSection(c, list->header()->sectionSize(c - 1));
  return at;
}

int NextItem(ListViewWidget* list, int start, UINT flags) {
  const int count = list->topLevelItemCount();
  if (flags & ~static_cast<UINT>(LVNI_FOCUSED | LVNI_SELECTED)) {
    Win32NotImplemented("LVM_GETNEXTITEM", "directional and other search flags");
    return -1;
  }
  for (int row = qMax(0, start + 1); row < count; ++row) {
    const UINT state = ItemState(list, row);
    if ((flags & LVNI_FOCUSED) && !(state & LVIS_FOCUSED)) continue;
    if ((flags & LVNI_SELECTED) && !(state & LVIS_SELECTED)) continue;
    return row;
  }
  return -1;
}

QRect LabelRect(ListViewWidget* list, int row) {
  QTreeWidgetItem* item = list->topLevelItem(row);
  if (!item) return QRect();
  return list->visualItemRect(item);
}

void EndLabelEdit(HWND hwnd, ListViewWidget* list, bool commit) {
  if (!list->edit || list->ending_edit) return;
  const HWND edit = list->edit;
  const int row = list->edit_item;
  list->ending_edit = true;
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
  GetWindowTextW(edit, text.data(), static_cast<int>(text.size()));
  NMLVDISPINFOW info = {};
  info.item.mask = LVIF_TEXT;
  info.item.iItem = row;
  info.item.pszText = commit ? text.data() : nullptr;
  info.item.cchTextMax = static_cast<int>(text.size());
  const LRESULT accepted = NotifyParent(hwnd, &info.hdr, LVN_ENDLABELEDITW);
  if (ListOf(hwnd) != list) {  // the parent destroyed the list meanwhile
    DestroyWindow(edit);
    return;
  }
  list->ending_edit = false;
  list->edit = nullptr;
  list->edit_item = -1;
  if (commit && accepted) {
    if (QTreeWidgetItem* item = list->topLevelItem(row)) item->setText(0, QString::fromWCharArray(text.c_str()));
  }
  DestroyWindow(edit);
  list->setFocus(Qt::OtherFocusReason);
}

HWND BeginLabelEdit(HWND hwnd, ListViewWidget* list, int row) {
  if (list->edit) EndLabelEdit(hwnd, list, false);
  QTreeWidgetItem* item = list->topLevelItem(row);
  if (!item) return nullptr;
  list->scrollToItem(item);
  const QRect rect = LabelRect(list, row);
  const std::wstring text = Win32ToWide(item->text(0));
  list->setFocus(Qt::OtherFocusReason);
  HWND edit = CreateWindowExW(0, WC_EDITW, text.c_str(), WS_CHILD | WS_BORDER, rect.x(), rect.y(),
                              qMax(rect.width(), list->columnWidth(0)), rect.height(), hwnd, nullptr, nullptr,
                              nullptr);
  if (!edit) return nullptr;
  list->edit = edit;
  list->edit_item = row;
  NMLVDISPINFOW info = {};
  info.item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_STATE;
  info.item.iItem = row;
  std::wstring label = text;
  info.item.pszText = label.data();
  info.item.cchTextMax = static_cast<int>(label.size()) + 1;
  info.item.state = ItemState(list, row);
  info.item.lParam = item->data(0, Qt::UserRole).value<qintptr>();
  if (NotifyParent(hwnd, &info.hdr, LVN_BEGINLABELEDITW)) {
    // The parent refused the edit.
    if (ListOf(hwnd) == list && list->edit == edit) {
      list->edit = nullptr;
      list->edit_item = -1;
    }
    DestroyWindow(edit);
    return nullptr;
  }
  if (!IsWindow(edit) || list->edit != edit) return nullptr;
  ShowWindow(edit, SW_SHOW);
  SetFocus(edit);
  SendMessageW(edit, EM_SETSEL, 0, -1);
  return edit;
}

LRESULT ClickNotify(HWND hwnd, ListViewWidget* list, UINT code, LPARAM lparam) {
  NMITEMACTIVATE activate = {};
  const QPoint point(GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam));
  const QModelIndex index = list->indexAt(point);
  activate.iItem = index.isValid() ? index.row() : -1;
  activate.iSubItem = index.isValid() ? index.column() : 0;
  activate.ptAction = POINT{point.x(), point.y()};
  if (index.isValid()) activate.uNewState = ItemState(list, index.row());
  NotifyParent(hwnd, &activate.hdr, code);
  return 0;
}

// Scrolls by dy pixels, rounded to whole rows as a report view does.
BOOL Scroll(ListViewWidget* list, int dx, int dy) {
  if (dx != 0) {
    Win32NotImplemented("LVM_SCROLL", "horizontal scrolling");
    return FALSE;
  }
  const int height = list->RowHeight();
  const int rows = (dy >= 0 ? dy + height / 2 : dy - height / 2) / height;
  QScrollBar* bar = list->verticalScrollBar();
  bar->setValue(bar->value() + rows);
  return TRUE;
}

}  // namespace

QWidget* Win32CreateListView(Win32Window* window, QWidget* parent) {
  if ((window->style & LVS_TYPEMASK) != LVS_REPORT) {
    Win32NotImplemented("CreateWindowExW", "list views in views other than LVS_REPORT");
    return nullptr;
  }
  ListViewWidget* list = new ListViewWidget(window->hwnd, window->style, parent);
  window->client = list->viewport();
  return list;
}

LRESULT Win32ListViewProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  ListViewWidget* list = ListOf(hwnd);
  if (!list) return DefWindowProcW(hwnd, message, wParam, lParam);
  LVITEMW* lv = reinterpret_cast<LVITEMW*>(lParam);
  switch (message) {
    case LVM_INSERTCOLUMNW:
      return InsertColumn(list, static_cast<int>(wParam), reinterpret_cast<const LVCOLUMNW*>(lParam));
    case LVM_INSERTITEMW:
      return lv ? InsertItem(list, lv) : -1;
    case LVM_GETITEMW:
      return lv ? GetItem(list, lv) : FALSE;
    case LVM_SETITEMW:
      return lv ? SetItem(list, lv) : FALSE;
    case LVM_GETITEMTEXTW: {
      if (!lv) return 0;
      QTreeWidgetItem* item = list->topLevelItem(static_cast<int>(wParam));
      if (!item || lv->iSubItem < 0 || lv->iSubItem >= qMax(1, list->columnCount())) {
        if (lv->pszText && lv->cchTextMax > 0) lv->pszText[0] = 0;
        return 0;
      }
      return Win32CopyText(Win32ToWide(item->text(lv->iSubItem)), lv->pszText, lv->cchTextMax);
    }
    case LVM_SETITEMTEXTW: {
      if (!lv) return FALSE;
      LVITEMW text = *lv;
      text.mask = LVIF_TEXT;
      text.iItem = static_cast<int>(wParam);
      return SetItem(list, &text);
    }
    case LVM_SETITEMSTATE: {
      if (!lv) return FALSE;
      const int row = static_cast<int>(wParam);
      if (row == -1) {
        for (int r = 0; r < list->topLevelItemCount(); ++r) SetItemState(list, r, lv->state, lv->stateMask);
        return TRUE;
      }
      if (row < 0 || row >= list->topLevelItemCount()) return FALSE;
      SetItemState(list, row, lv->state, lv->stateMask);
      return TRUE;
    }
    case LVM_GETITEMSTATE:
      return static_cast<LRESULT>(ItemState(list, static_cast<int>(wParam)) & static_cast<UINT>(lParam));
    case LVM_GETNEXTITEM:
      return NextItem(list, static_cast<int>(wParam), LOWORD(lParam));
    case LVM_GETITEMCOUNT:
      return list->topLevelItemCount();
    case LVM_DELETEITEM: {
      QTreeWidgetItem* item = list->topLevelItem(static_cast<int>(wParam));
      if (!item) return FALSE;
      delete list->takeTopLevelItem(static_cast<int>(wParam));
      return TRUE;
    }
    case LVM_DELETEALLITEMS:
      list->clear();
      return TRUE;
    case LVM_GETITEMRECT: {
      RECT* rect = reinterpret_cast<RECT*>(lParam);
      if (!rect || (rect->left != LVIR_BOUNDS && rect->left != LVIR_LABEL)) return FALSE;
      const bool label = rect->left == LVIR_LABEL;
      QRect r = LabelRect(list, static_cast<int>(wParam));
      if (!r.isValid()) return FALSE;
      if (label && list->columnCount() > 0) r.setWidth(list->columnWidth(0));
      *rect = RECT{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
      return TRUE;
    }
    case LVM_SETEXTENDEDLISTVIEWSTYLE: {
      const DWORD previous = list->extended_style;
      const DWORD mask = wParam ? static_cast<DWORD>(wParam) : 0xFFFFFFFFu;
      const DWORD style = static_cast<DWORD>(lParam);
      if (style & mask & ~static_cast<DWORD>(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES)) {
        Win32NotImplemented("LVM_SETEXTENDEDLISTVIEWSTYLE", "styles other than full-row select and grid lines");
        return previous;
      }
      list->extended_style = (previous & ~mask) | (style & mask);
      list->update();
      return previous;
    }
    case LVM_GETEXTENDEDLISTVIEWSTYLE:
      return list->extended_style;
    case LVM_EDITLABELW:
      if (static_cast<int>(wParam) == -1) {
        EndLabelEdit(hwnd, list, false);
        return 0;
      }
      return reinterpret_cast<LRESULT>(BeginLabelEdit(hwnd, list, static_cast<int>(wParam)));
    case LVM_GETEDITCONTROL:
      return reinterpret_cast<LRESULT>(list->edit);
    case LVM_CANCELEDITLABEL:
      EndLabelEdit(hwnd, list, false);
      return 0;
    case kWin32ListEndLabelEdit:
      EndLabelEdit(hwnd, list, wParam != 0);
      return 0;
    case LVM_GETTOPINDEX:
      return list->TopRow();
    case LVM_SCROLL:
      return Scroll(list, static_cast<int>(wParam), static_cast<int>(lParam));
    case kWin32ListScrolled: {
      NMLVSCROLL scroll = {};
      scroll.dy = static_cast<int>(lParam);
      NotifyParent(hwnd, &scroll.hdr, LVN_ENDSCROLL);
      return 0;
    }
    // A click is reported when the button comes up again on the list it went down on, a double
    // click at its second press; the release that ends a double click reports nothing.
    case WM_LBUTTONDOWN:
      list->click_pending = true;
      list->click_point = lParam;
      return 0;
    case WM_LBUTTONUP:
      if (!list->click_pending) return 0;
      list->click_pending = false;
      return ClickNotify(hwnd, list, NM_CLICK, list->click_point);
    case WM_LBUTTONDBLCLK:
      list->click_pending = false;
      return ClickNotify(hwnd, list, NM_DBLCLK, lParam);
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}
