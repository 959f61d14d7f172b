// The status bar control "msctls_statusbar32": numbered parts with right edges (-1 runs to the
// border), a text per part drawn sunken, raised or flat, docked along the parent's bottom edge.
#include <qdrawutil.h>
#include <QFontInfo>
#include <QFontMetrics>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>

#include "shell/win32/win32_internal.h"

namespace {

constexpr int kMaxParts = 256;
constexpr int kPartGap = 2;
// A too-long text is shrunk to three quarters of the bar's font at most, and never below this; beyond
// that it stays readable and is cut at the part's edge.
constexpr int kSmallestFitPixels = 8;

// The widget's font, or a smaller one in which `text` fits `width`: the parts have fixed right edges, and
// a status text such as "  Content: 3840x2160p30 (1.78)" must not lose its last characters.
QFont FittingFont(const QFont& base, const QString& text, int width) {
  QFont font = base;
  int pixels = QFontInfo(base).pixelSize();
  const int smallest = qMax(kSmallestFitPixels, pixels * 3 / 4);
  while (pixels > smallest && QFontMetrics(font).horizontalAdvance(text) > width) {
    --pixels;
    font.setPixelSize(pixels);
  }
  return font;
}

class StatusBarWidget : public QWidget {
 public:
  explicit StatusBarWidget(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::NoFocus);
    setAutoFillBackground(true);
    // Part edges are fixed pixel positions; a semi-condensed face keeps the common texts inside them at
    // the usual height.
    QFont narrow = font();
    narrow.setStretch(QFont::SemiCondensed);
    setFont(narrow);
    edges_ = {-1};
    texts_.resize(1);
    types_.resize(1, 0);
  }

  std::vector<int> edges_;
  std::vector<std::wstring> texts_;
  std::vector<int> types_;

  QRect PartRect(int part) const {
    const int left = part == 0 ? 0 : edges_[part - 1] + kPartGap;
    const int right = edges_[part] < 0 ? width() : qMin(edges_[part], width());
    return QRect(left, 0, qMax(0, right - left), height());
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    for (size_t part = 0; part < edges_.size(); ++part) {
      const QRect rect = PartRect(static_cast<int>(part));
      if (rect.width() <= 0) continue;
      const int type = types_[part];
      if (!(type & SBT_NOBORDERS)) {
        qDrawShadePanel(&painter, rect.adjusted(0, 2, 0, 0), palette(), !(type & SBT_POPOUT), 1);
      }
      const QRect text_rect = rect.adjusted(3, 2, -2, 0);
      const QString text = QString::fromStdWString(texts_[part]);
      painter.setPen(palette().color(QPalette::WindowText));
      painter.setFont(FittingFont(font(), text, text_rect.width()));
      painter.setClipRect(rect.adjusted(1, 2, -1, -1));
      painter.drawText(text_rect, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, text);
      painter.setClipping(false);
    }
  }
};

StatusBarWidget* BarOf(HWND hwnd) {
  Win32Window* window = Win32FromHandle(hwnd);
  return window ? dynamic_cast<StatusBarWidget*>(window->widget.data()) : nullptr;
}

// Places the bar along the bottom edge of its parent's client area, full width.
void Dock(HWND hwnd) {
  Win32Window* window = Win32FromHandle(hwnd);
  QWidget* parent = Win32ClientWidget(window->parent);
  if (!window->widget || !parent) return;
  window->applying_geometry = true;
  window->widget->setGeometry(0, parent->height() - kWin32StatusBarHeight, parent->width(), kWin32StatusBarHeight);
  window->widget->raise();
  window->applying_geometry = false;
  Win32LayoutRenderSurface(window->parent);
}

}  // namespace

QWidget* Win32CreateStatusBar(Win32Window*, QWidget* parent) { return new StatusBarWidget(parent); }

int Win32DockedStatusBarHeight(HWND hwnd) {
  for (HWND child : Win32ChildrenOf(hwnd)) {
    Win32Window* window = Win32FromHandle(child);
    if (window && window->window_class->kind == Win32ClassKind::kStatusBar && window->widget &&
        !window->widget->isHidden()) {
      return window->widget->height();
    }
  }
  return 0;
}

LRESULT Win32StatusBarProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  StatusBarWidget* bar = BarOf(hwnd);
  if (!bar) return DefWindowProcW(hwnd, message, wParam, lParam);
  switch (message) {
    case WM_CREATE:
    case WM_SIZE:
      Dock(hwnd);
      return 0;
    case SB_SETPARTS: {
      const int count = static_cast<int>(wParam);
      const int* edges = reinterpret_cast<const int*>(lParam);
      if (count <= 0 || count > kMaxParts || !edges) return FALSE;
      bar->edges_.assign(edges, edges + count);
      bar->texts_.resize(static_cast<size_t>(count));
      bar->types_.resize(static_cast<size_t>(count), 0);
      bar->update();
      return TRUE;
    }
    case SB_GETPARTS: {
      int* edges = reinterpret_cast<int*>(lParam);
      const int parts = static_cast<int>(bar->edges_.size());
      for (int i = 0; edges && i < qMin(parts, static_cast<int>(wParam)); ++i) edges[i] = bar->edges_[i];
      return parts;
    }
    case SB_SETTEXTW: {
      const int part = LOBYTE(wParam);
      const int type = static_cast<int>(wParam & 0xff00);
      if (part == SB_SIMPLEID || (type & (SBT_OWNERDRAW | SBT_RTLREADING))) {
        Win32NotImplemented("SB_SETTEXTW", "simple mode, owner drawing, right-to-left reading");
        return FALSE;
      }
      if (part >= static_cast<int>(bar->edges_.size())) return FALSE;
      const LPCWSTR text = reinterpret_cast<LPCWSTR>(lParam);
      const std::wstring newText = text ? text : L"";
      // The main loop sets the same texts on every pass; repainting unchanged text would cost a
      // layout and a paint per pass for a picture that looks the same.
      if (bar->texts_[part] == newText && bar->types_[part] == type) return TRUE;
      bar->texts_[part] = newText;
      bar->types_[part] = type;
      bar->update(bar->PartRect(part));
      return TRUE;
    }
    case SB_GETTEXTW:
    case SB_GETTEXTLENGTHW: {
      const int part = LOBYTE(wParam);
      if (part >= static_cast<int>(bar->edges_.size())) return 0;
      const std::wstring& text = bar->texts_[part];
      if (message == SB_GETTEXTW && lParam) {
        LPWSTR buffer = reinterpret_cast<LPWSTR>(lParam);
        Win32CopyText(text, buffer, static_cast<int>(text.size()) + 1);
      }
      return MAKELONG(text.size(), bar->types_[part]);
    }
    case SB_GETRECT: {
      const int part = static_cast<int>(wParam);
      RECT* rect = reinterpret_cast<RECT*>(lParam);
      if (!rect || part < 0 || part >= static_cast<int>(bar->edges_.size())) return FALSE;
      const QRect r = bar->PartRect(part);
      *rect = RECT{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
      return TRUE;
    }
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}
