// Win32-shaped common controls over Qt Widgets: the status bar and the report-view list view, with
// their notifications through WM_NOTIFY to the parent window's procedure.
//
// Implements: the window class "msctls_statusbar32" (STATUSCLASSNAMEW) with SB_SETPARTS, SB_GETPARTS,
// SB_SETTEXTW (drawing types 0, SBT_NOBORDERS, SBT_POPOUT), SB_GETTEXTW, SB_GETTEXTLENGTHW, SB_GETRECT
// and WM_SIZE (the bar docks itself along the parent's bottom edge, 22 pixels high); the window class
// "SysListView32" (WC_LISTVIEWW) in report view (LVS_REPORT, LVS_SINGLESEL, LVS_SHOWSELALWAYS,
// LVS_EDITLABELS, LVS_NOCOLUMNHEADER; LVS_EX_FULLROWSELECT, LVS_EX_GRIDLINES) with LVM_INSERTCOLUMNW,
// LVM_INSERTITEMW, LVM_GETITEMW, LVM_SETITEMW, LVM_GETITEMTEXTW, LVM_SETITEMTEXTW, LVM_DELETEITEM,
// LVM_DELETEALLITEMS, LVM_GETITEMCOUNT, LVM_SETITEMSTATE, LVM_GETITEMSTATE, LVM_GETNEXTITEM
// (LVNI_ALL, LVNI_FOCUSED, LVNI_SELECTED), LVM_GETITEMRECT (LVIR_BOUNDS, LVIR_LABEL),
// LVM_SETEXTENDEDLISTVIEWSTYLE, LVM_GETEXTENDEDLISTVIEWSTYLE, LVM_EDITLABELW, LVM_GETEDITCONTROL,
// LVM_CANCELEDITLABEL, LVM_GETTOPINDEX, LVM_SCROLL (vertical, in whole rows); notifications NM_CLICK
// and NM_DBLCLK (NMITEMACTIVATE, from the left mouse button: a click is reported when the button is
// released, the second press of a double click as NM_DBLCLK only), LVN_ENDSCROLL (NMLVSCROLL, after
// the rows moved by wheel, keys, a click on a partly shown row or LVM_SCROLL), NM_CUSTOMDRAW
// (NMLVCUSTOMDRAW: CDDS_PREPAINT, CDDS_ITEMPREPAINT; clrText and clrTextBk per item;
// CDRF_NOTIFYITEMDRAW, CDRF_NEWFONT, CDRF_SKIPDEFAULT), LVN_BEGINLABELEDITW and LVN_ENDLABELEDITW
// (NMLVDISPINFOW) around an in-place edit box of class "Edit" that is a window of
// its own (WM_GETTEXT, WM_SETTEXT); Enter ends the edit with its text, Escape cancels it (a null
// pszText), losing the focus ends it with its text. Unlike Win32, a list view shows a scroll bar only
// in the directions its style asks for (WS_VSCROLL, WS_HSCROLL); without one it still scrolls by wheel
// and keys.
#pragma once

#include "shell/win32/win32_user.h"

#define STATUSCLASSNAMEW L"msctls_statusbar32"
#define WC_LISTVIEWW L"SysListView32"
#define WC_EDITW L"Edit"

// ---- Notifications
struct NMHDR {
  HWND hwndFrom;
  UINT_PTR idFrom;
  UINT code;
};
typedef NMHDR* LPNMHDR;

#define NM_FIRST (0U - 0U)
#define NM_CLICK (NM_FIRST - 2)
#define NM_DBLCLK (NM_FIRST - 3)
#define NM_CUSTOMDRAW (NM_FIRST - 12)

// ---- Custom draw
#define CDDS_PREPAINT 0x00000001
#define CDDS_POSTPAINT 0x00000002
#define CDDS_ITEM 0x00010000
#define CDDS_ITEMPREPAINT (CDDS_ITEM | CDDS_PREPAINT)
#define CDDS_ITEMPOSTPAINT (CDDS_ITEM | CDDS_POSTPAINT)
#define CDDS_SUBITEM 0x00020000

#define CDRF_DODEFAULT 0x00000000
#define CDRF_NEWFONT 0x00000002
#define CDRF_SKIPDEFAULT 0x00000004
#define CDRF_NOTIFYPOSTPAINT 0x00000010
#define CDRF_NOTIFYITEMDRAW 0x00000020

#define CDIS_SELECTED 0x0001
#define CDIS_FOCUS 0x0010

#define CLR_NONE 0xFFFFFFFFL
#define CLR_DEFAULT 0xFF000000L

struct NMCUSTOMDRAW {
  NMHDR hdr;
  DWORD dwDrawStage;
  HDC hdc;
  RECT rc;
  DWORD_PTR dwItemSpec;
  UINT uItemState;
  LPARAM lItemlParam;
};

struct NMLVCUSTOMDRAW {
  NMCUSTOMDRAW nmcd;
  COLORREF clrText;
  COLORREF clrTextBk;
  int iSubItem;
  DWORD dwItemType;
  COLORREF clrFace;
  int iIconEffect;
  int iIconPhase;
  int iPartId;
  int iStateId;
  RECT rcText;
  UINT uAlign;
};
typedef NMLVCUSTOMDRAW* LPNMLVCUSTOMDRAW;

// ---- Status bar
#define SBT_NOBORDERS 0x0100
#define SBT_POPOUT 0x0200
#define SBT_RTLREADING 0x0400
#define SBT_OWNERDRAW 0x1000
#define SB_SIMPLEID 0x00ff

#define SB_SETPARTS (WM_USER + 4)
#define SB_GETPARTS (WM_USER + 6)
#define SB_GETRECT (WM_USER + 10)
#define SB_SETTEXTW (WM_USER + 11)
#define SB_GETTEXTLENGTHW (WM_USER + 12)
#define SB_GETTEXTW (WM_USER + 13)

// ---- List view
#define LVS_ICON 0x0000
#define LVS_REPORT 0x0001
#define LVS_SINGLESEL 0x0004
#define LVS_SHOWSELALWAYS 0x0008
#define LVS_EDITLABELS 0x0200
#define LVS_NOCOLUMNHEADER 0x4000
#define LVS_TYPEMASK 0x0003

#define LVS_EX_GRIDLINES 0x00000001
#define LVS_EX_FULLROWSELECT 0x00000020

#define LVIF_TEXT 0x00000001
#define LVIF_IMAGE 0x00000002
#define LVIF_PARAM 0x00000004
#define LVIF_STATE 0x00000008

#define LVIS_FOCUSED 0x0001
#define LVIS_SELECTED 0x0002

#define LVNI_ALL 0x0000
#define LVNI_FOCUSED 0x0001
#define LVNI_SELECTED 0x0002

#define LVIR_BOUNDS 0
#define LVIR_LABEL 2

#define LVCF_FMT 0x0001
#define LVCF_WIDTH 0x0002
#define LVCF_TEXT 0x0004
#define LVCF_SUBITEM 0x0008
#define LVCFMT_LEFT 0x0000

#define LVM_FIRST 0x1000
#define LVM_GETITEMCOUNT (LVM_FIRST + 4)
#define LVM_DELETEITEM (LVM_FIRST + 8)
#define LVM_DELETEALLITEMS (LVM_FIRST + 9)
#define LVM_GETNEXTITEM (LVM_FIRST + 12)
#define LVM_GETITEMRECT (LVM_FIRST + 14)
#define LVM_SCROLL (LVM_FIRST + 20)
#define LVM_GETEDITCONTROL (LVM_FIRST + 24)
#define LVM_GETTOPINDEX (LVM_FIRST + 39)
#define LVM_SETITEMSTATE (LVM_FIRST + 43)
#define LVM_GETITEMSTATE (LVM_FIRST + 44)
#define LVM_SETEXTENDEDLISTVIEWSTYLE (LVM_FIRST + 54)
#define LVM_GETEXTENDEDLISTVIEWSTYLE (LVM_FIRST + 55)
#define LVM_GETITEMW (LVM_FIRST + 75)
#define LVM_SETITEMW (LVM_FIRST + 76)
#define LVM_INSERTITEMW (LVM_FIRST + 77)
#define LVM_INSERTCOLUMNW (LVM_FIRST + 97)
#define LVM_GETITEMTEXTW (LVM_FIRST + 115)
#define LVM_SETITEMTEXTW (LVM_FIRST + 116)
#define LVM_EDITLABELW (LVM_FIRST + 118)
#define LVM_CANCELEDITLABEL (LVM_FIRST + 179)

#define LVN_FIRST (0U - 100U)
#define LVN_BEGINLABELEDITW (LVN_FIRST - 75)
#define LVN_ENDLABELEDITW (LVN_FIRST - 76)
#define LVN_ENDSCROLL (LVN_FIRST - 81)

struct LVITEMW {
  UINT mask;
  int iItem;
  int iSubItem;
  UINT state;
  UINT stateMask;
  LPWSTR pszText;
  int cchTextMax;
  int iImage;
  LPARAM lParam;
  int iIndent;
  int iGroupId;
  UINT cColumns;
  UINT* puColumns;
  int* piColFmt;
  int iGroup;
};
typedef LVITEMW* LPLVITEMW;

struct LVCOLUMNW {
  UINT mask;
  int fmt;
  int cx;
  LPWSTR pszText;
  int cchTextMax;
  int iSubItem;
  int iImage;
  int iOrder;
  int cxMin;
  int cxDefault;
  int cxIdeal;
};
typedef LVCOLUMNW* LPLVCOLUMNW;

struct NMLVDISPINFOW {
  NMHDR hdr;
  LVITEMW item;
};

struct NMITEMACTIVATE {
  NMHDR hdr;
  int iItem;
  int iSubItem;
  UINT uNewState;
  UINT uOldState;
  UINT uChanged;
  POINT ptAction;
  LPARAM lParam;
  UINT uKeyFlags;
};
typedef NMITEMACTIVATE* LPNMITEMACTIVATE;

struct NMLVSCROLL {
  NMHDR hdr;
  int dx;
  int dy;
};
typedef NMLVSCROLL* LPNMLVSCROLL;

// ---- Edit box
#define EM_SETSEL 0x00B1
