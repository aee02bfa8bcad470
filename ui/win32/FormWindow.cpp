#include "FormWindow.h"

#include "Fonts.h"
#include "Text.h"

#include <algorithm>
#include <utility>

#include <imm.h>
#include <shellapi.h>
#include <uxtheme.h>
#include <vssym32.h>

namespace hakomaru::win32 {
namespace {

constexpr wchar_t kWindowClass[] = L"HakomaruForm";
constexpr int kFirstControlId = 100;
constexpr int kFirstMenuId = 1000;
constexpr UINT_PTR kTimerId = 1;
constexpr UINT_PTR kSubclassId = 1;
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr int kCheckBoxGap = 4; // between a check box's square and its caption, at 96 dpi

std::wstring& applicationTitle() {
    static std::wstring title;
    return title;
}

COLORREF colourRef(Colour colour) {
    return colour & kSystemColour ? ::GetSysColor(static_cast<int>(colour & 0xFF)) : colour;
}

// One brush per colour for the whole run: few colours, painted often.
HBRUSH brush(Colour colour) {
    static std::vector<std::pair<Colour, HBRUSH>> brushes;
    for (const auto& [c, b] : brushes) {
        if (c == colour)
            return b;
    }
    HBRUSH b = colour & kSystemColour ? ::GetSysColorBrush(static_cast<int>(colour & 0xFF))
                                      : ::CreateSolidBrush(colour);
    brushes.emplace_back(colour, b);
    return b;
}

} // namespace

void FormWindow::registerClass() {
    static const bool registered = [] {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
        ::InitCommonControlsEx(&controls);
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &FormWindow::windowProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = ::GetSysColorBrush(COLOR_BTNFACE);
        wc.lpszClassName = kWindowClass;
        // The program's icon, where the program file carries one.
        wc.hIcon = ::LoadIconW(wc.hInstance, MAKEINTRESOURCEW(1));
        return ::RegisterClassExW(&wc) != 0;
    }();
    (void)registered;
}

void setApplicationTitle(std::string_view title) {
    applicationTitle() = wide(title);
}

FormWindow::FormWindow(const Form& form, FormEvents& events, bool endsProgram)
    : form_(form), events_(events), endsProgram_(endsProgram) {
    registerClass();
    ::CreateWindowExW(0, kWindowClass, wide(form.title).c_str(), kStyle, CW_USEDEFAULT,
                      CW_USEDEFAULT, form.clientWidth, form.clientHeight, nullptr, nullptr,
                      ::GetModuleHandleW(nullptr), this);
    dpi_ = ::GetDpiForWindow(hwnd_);
    createMenus();
    createControls();
    fitClientArea();
}

FormWindow::~FormWindow() {
    if (::IsWindow(hwnd_)) {
        ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        ::DestroyWindow(hwnd_);
    }
    if (popup_)
        ::DestroyMenu(popup_);
    freeFonts();
}

int FormWindow::scale(int value) const {
    return ::MulDiv(value, static_cast<int>(dpi_), 96);
}

// ---------------------------------------------------------------------------
// Building

void FormWindow::createMenus() {
    auto build = [this](std::span<const MenuItem> items, HMENU root) {
        for (const MenuItem& item : items) {
            HMENU parent = root;
            if (!item.parent.empty()) {
                const auto at = std::find(menuNames_.begin(), menuNames_.end(), item.parent);
                MENUITEMINFOW info{};
                info.cbSize = sizeof info;
                info.fMask = MIIM_SUBMENU;
                ::GetMenuItemInfoW(root,
                                   static_cast<UINT>(kFirstMenuId + (at - menuNames_.begin())),
                                   FALSE, &info);
                parent = info.hSubMenu;
            }
            const auto id = static_cast<UINT_PTR>(kFirstMenuId + menuNames_.size());
            menuNames_.push_back(item.name);
            const bool opensMenu = std::any_of(items.begin(), items.end(), [&](const MenuItem& m) {
                return m.parent == item.name;
            });
            if (item.caption == "-") {
                ::AppendMenuW(parent, MF_SEPARATOR, id, nullptr);
            } else if (opensMenu) {
                MENUITEMINFOW info{};
                info.cbSize = sizeof info;
                info.fMask = MIIM_ID | MIIM_STRING | MIIM_SUBMENU | MIIM_STATE;
                info.wID = static_cast<UINT>(id);
                const std::wstring caption = wide(item.caption);
                info.dwTypeData = const_cast<wchar_t*>(caption.c_str());
                info.hSubMenu = ::CreatePopupMenu();
                info.fState = item.enabled ? MFS_ENABLED : MFS_GRAYED;
                ::InsertMenuItemW(parent, ::GetMenuItemCount(parent), TRUE, &info);
            } else {
                ::AppendMenuW(parent, MF_STRING | (item.enabled ? 0 : MF_GRAYED), id,
                              wide(item.caption).c_str());
            }
        }
    };
    if (!form_.menu.empty()) {
        HMENU bar = ::CreateMenu();
        build(form_.menu, bar);
        ::SetMenu(hwnd_, bar);
    }
    if (!form_.popup.empty()) {
        popup_ = ::CreatePopupMenu();
        build(form_.popup, popup_);
    }
}

void FormWindow::createControls() {
    items_.reserve(form_.controls.size()); // items stay where they are: hovered_ points at one
    for (const Control& c : form_.controls) {
        Item item;
        item.control = &c;
        item.id = kFirstControlId + static_cast<int>(items_.size());
        if (const Item* group = c.parent.empty() ? nullptr : find(c.parent))
            item.origin = {group->control->bounds.left, group->control->bounds.top};
        item.textColour = c.textColour;
        items_.push_back(item);
    }
    makeFonts();
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    for (Item& item : items_) {
        const Control& c = *item.control;
        const wchar_t* windowClass = L"STATIC";
        DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
        DWORD exStyle = 0;
        switch (c.kind) {
        case ControlKind::Label:
            style |= SS_NOPREFIX | (c.rightAligned ? SS_RIGHT : SS_LEFTNOWORDWRAP);
            break;
        case ControlKind::BevelText:
            style |= SS_NOPREFIX | SS_LEFT;
            exStyle |= WS_EX_STATICEDGE;
            break;
        case ControlKind::LinkLabel:
            style |= SS_OWNERDRAW | SS_NOTIFY;
            break;
        case ControlKind::GroupBox:
            windowClass = L"BUTTON";
            style |= BS_GROUPBOX;
            break;
        case ControlKind::CheckBox:
            windowClass = L"BUTTON";
            style |= BS_CHECKBOX; // the window's logic decides the checked state
            break;
        case ControlKind::Button:
            windowClass = L"BUTTON";
            style |= BS_PUSHBUTTON;
            break;
        case ControlKind::OwnerDrawList:
            windowClass = L"COMBOBOX";
            style |= CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS | WS_VSCROLL;
            break;
        case ControlKind::NumericEdit:
            windowClass = L"EDIT";
            style |= ES_RIGHT | ES_AUTOHSCROLL;
            exStyle |= WS_EX_CLIENTEDGE;
            break;
        }
        if (c.tabOrder >= 0)
            style |= WS_TABSTOP;
        item.hwnd = ::CreateWindowExW(exStyle, windowClass, wide(c.caption).c_str(), style, 0, 0,
                                      scale(c.bounds.width), scale(c.bounds.height), hwnd_,
                                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(item.id)),
                                      instance, nullptr);
        ::SendMessageW(item.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(item.font), FALSE);
        ::SetWindowSubclass(item.hwnd, &controlProc, kSubclassId,
                            reinterpret_cast<DWORD_PTR>(this));
        if (c.kind == ControlKind::NumericEdit) {
            ::SendMessageW(item.hwnd, EM_SETLIMITTEXT, static_cast<WPARAM>(c.maxLength), 0);
            // Composed text would reach the edit past its key filter.
            ::ImmAssociateContext(item.hwnd, nullptr);
        }
        if (c.kind == ControlKind::OwnerDrawList)
            ::SendMessageW(item.hwnd, CB_SETMINVISIBLE, static_cast<WPARAM>(c.visibleRows), 0);
    }
    layout();
    // Tab order is the order of the controls among their siblings; the
    // group boxes go beneath the controls that lie on them.
    std::vector<Item*> order;
    for (Item& item : items_)
        order.push_back(&item);
    auto rank = [](const Item* item) {
        const Control& c = *item->control;
        return c.kind == ControlKind::GroupBox ? 2 : c.tabOrder < 0 ? 1 : 0;
    };
    std::stable_sort(order.begin(), order.end(), [&](const Item* a, const Item* b) {
        if (rank(a) != rank(b))
            return rank(a) < rank(b);
        return rank(a) == 0 && a->control->tabOrder < b->control->tabOrder;
    });
    HWND previous = HWND_TOP;
    for (Item* item : order) {
        ::SetWindowPos(item->hwnd, previous, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        previous = item->hwnd;
    }
}

void FormWindow::makeFonts() {
    for (Item& item : items_) {
        const Control& c = *item.control;
        if (c.kind == ControlKind::LinkLabel) {
            item.font = createFont({c.font.face, 0, kPlain, kLinkPoints}, form_.font, dpi_);
            item.hoverFont = createFont({c.font.face, 0, kBold | kUnderline, kLinkHoverPoints},
                                        form_.font, dpi_);
        } else {
            item.font = createFont(c.font, form_.font, dpi_);
        }
        if (item.hwnd)
            ::SendMessageW(item.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(item.font), FALSE);
    }
}

void FormWindow::freeFonts() {
    for (Item& item : items_) {
        if (item.hwnd)
            ::SendMessageW(item.hwnd, WM_SETFONT, 0, FALSE);
        ::DeleteObject(item.font);
        ::DeleteObject(item.hoverFont);
        item.font = item.hoverFont = nullptr;
    }
}

// The client area the form asks for at the window's dpi, the menu bar
// outside it. A menu bar that wraps takes more height than one line: the
// frame grows by what the client area lacks.
void FormWindow::fitClientArea() {
    RECT frame{0, 0, scale(form_.clientWidth), scale(form_.clientHeight)};
    ::AdjustWindowRectExForDpi(&frame, kStyle, ::GetMenu(hwnd_) != nullptr, 0, dpi_);
    int width = frame.right - frame.left, height = frame.bottom - frame.top;
    for (int attempt = 0; attempt < 2; ++attempt) {
        ::SetWindowPos(hwnd_, nullptr, 0, 0, width, height,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        RECT client;
        ::GetClientRect(hwnd_, &client);
        const int lackX = scale(form_.clientWidth) - client.right;
        const int lackY = scale(form_.clientHeight) - client.bottom;
        if (lackX == 0 && lackY == 0)
            break;
        width += lackX;
        height += lackY;
    }
}

void FormWindow::layout() {
    for (Item& item : items_)
        place(item);
}

SIZE FormWindow::textSize(const Item& item, HFONT font) const {
    const int length = ::GetWindowTextLengthW(item.hwnd);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    ::GetWindowTextW(item.hwnd, text.data(), length + 1);
    HDC dc = ::GetDC(item.hwnd);
    HGDIOBJ old = ::SelectObject(dc, font);
    SIZE size{};
    ::GetTextExtentPoint32W(dc, text.c_str(), length, &size);
    ::SelectObject(dc, old);
    ::ReleaseDC(item.hwnd, dc);
    return size;
}

// The control at its bounds for the window's dpi. A control sized to its
// text keeps the edge it is aligned to; a link label's height follows its
// font, which grows under the pointer.
void FormWindow::place(Item& item) {
    const Control& c = *item.control;
    const int left = item.origin.x + c.bounds.left, top = item.origin.y + c.bounds.top;
    RECT r{scale(left), scale(top), scale(left + c.bounds.width), scale(top + c.bounds.height)};
    if (c.sizedToText || c.kind == ControlKind::LinkLabel) {
        const SIZE size =
            textSize(item, item.hovered && item.hoverFont ? item.hoverFont : item.font);
        if (c.rightAligned)
            r.left = r.right - size.cx;
        else
            r.right = r.left + size.cx;
        if (c.kind == ControlKind::LinkLabel)
            r.bottom = r.top + size.cy;
    }
    if (c.kind == ControlKind::OwnerDrawList) {
        // A closed drop-down list's height follows its face's row height,
        // borders added: set the face so that the whole is the bounds' height.
        ::SendMessageW(item.hwnd, CB_SETITEMHEIGHT, 0, scale(c.rowHeight));
        int face = scale(c.rowHeight);
        for (int attempt = 0; attempt < 2; ++attempt) {
            ::SendMessageW(item.hwnd, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), face);
            RECT now;
            ::GetWindowRect(item.hwnd, &now);
            const int lack = (r.bottom - r.top) - (now.bottom - now.top);
            if (lack == 0)
                break;
            face += lack;
        }
    }
    RECT old;
    ::GetWindowRect(item.hwnd, &old);
    ::MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&old), 2);
    ::SetWindowPos(item.hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    // What a shrinking control uncovers is the window's to paint again.
    ::InvalidateRect(hwnd_, &old, TRUE);
    ::InvalidateRect(item.hwnd, nullptr, TRUE);
}

// ---------------------------------------------------------------------------
// Finding controls

FormWindow::Item* FormWindow::find(std::string_view name) {
    for (Item& item : items_) {
        if (item.control->name == name)
            return &item;
    }
    return nullptr;
}

const FormWindow::Item* FormWindow::find(std::string_view name) const {
    return const_cast<FormWindow*>(this)->find(name);
}

FormWindow::Item* FormWindow::byHandle(HWND hwnd) {
    for (Item& item : items_) {
        if (item.hwnd == hwnd)
            return &item;
    }
    return nullptr;
}

FormWindow::Item* FormWindow::byId(int id) {
    const int index = id - kFirstControlId;
    return index >= 0 && index < static_cast<int>(items_.size())
               ? &items_[static_cast<size_t>(index)]
               : nullptr;
}

HWND FormWindow::control(std::string_view name) const {
    const Item* item = find(name);
    return item ? item->hwnd : nullptr;
}

// The control under a point of the client area, disabled ones included (the
// system sends their pointer moves to the window); a group box only where
// no control of its own lies.
FormWindow::Item* FormWindow::itemAt(POINT client) {
    Item* group = nullptr;
    for (Item& item : items_) {
        if (!::IsWindowVisible(item.hwnd))
            continue;
        RECT r;
        ::GetWindowRect(item.hwnd, &r);
        ::MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
        if (!::PtInRect(&r, client))
            continue;
        if (item.control->kind != ControlKind::GroupBox)
            return &item;
        group = &item;
    }
    return group;
}

// ---------------------------------------------------------------------------
// The view

void FormWindow::show(int showCommand) {
    ::ShowWindow(hwnd_, showCommand);
    const Item* first = nullptr;
    for (const Item& item : items_) {
        if (item.control->tabOrder >= 0 && ::IsWindowEnabled(item.hwnd) &&
            (!first || item.control->tabOrder < first->control->tabOrder))
            first = &item;
    }
    if (first)
        ::SetFocus(first->hwnd);
}

void FormWindow::setText(std::string_view name, std::string_view text) {
    Item* item = find(name);
    if (!item)
        return;
    quiet_ = true;
    ::SetWindowTextW(item->hwnd, wide(text).c_str());
    quiet_ = false;
    if (item->control->sizedToText)
        place(*item);
}

std::string FormWindow::text(std::string_view name) const {
    const Item* item = find(name);
    if (!item)
        return {};
    const int length = ::GetWindowTextLengthW(item->hwnd);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(item->hwnd, text.data(), length + 1)));
    return utf8(text);
}

void FormWindow::setChecked(std::string_view name, bool checked) {
    if (Item* item = find(name))
        ::SendMessageW(item->hwnd, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool FormWindow::checked(std::string_view name) const {
    const Item* item = find(name);
    return item && ::SendMessageW(item->hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void FormWindow::setEnabled(std::string_view name, bool enabled) {
    if (Item* item = find(name))
        ::EnableWindow(item->hwnd, enabled);
}

void FormWindow::setVisible(std::string_view name, bool visible) {
    if (Item* item = find(name))
        ::ShowWindow(item->hwnd, visible ? SW_SHOWNA : SW_HIDE);
}

void FormWindow::setTextColour(std::string_view name, Colour colour) {
    if (Item* item = find(name)) {
        item->textColour = colour;
        ::InvalidateRect(item->hwnd, nullptr, TRUE);
    }
}

void FormWindow::setRows(std::string_view name, std::span<const std::string_view> rows) {
    Item* item = find(name);
    if (!item)
        return;
    ::SendMessageW(item->hwnd, CB_RESETCONTENT, 0, 0);
    for (std::string_view row : rows)
        ::SendMessageW(item->hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide(row).c_str()));
}

void FormWindow::selectRow(std::string_view name, int row) {
    if (Item* item = find(name))
        ::SendMessageW(item->hwnd, CB_SETCURSEL, static_cast<WPARAM>(row), 0);
}

int FormWindow::selectedRow(std::string_view name) const {
    const Item* item = find(name);
    return item ? static_cast<int>(::SendMessageW(item->hwnd, CB_GETCURSEL, 0, 0)) : -1;
}

void FormWindow::selectText(std::string_view name, int start, int length) {
    if (Item* item = find(name))
        ::SendMessageW(item->hwnd, EM_SETSEL, static_cast<WPARAM>(start),
                       static_cast<LPARAM>(start + length));
}

void FormWindow::move(int left, int top) {
    ::SetWindowPos(hwnd_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void FormWindow::startTimer(UINT milliseconds) {
    ::SetTimer(hwnd_, kTimerId, milliseconds, nullptr);
}

void FormWindow::stopTimer() {
    ::KillTimer(hwnd_, kTimerId);
}

void FormWindow::showMessage(std::string_view text, bool error) const {
    ::MessageBoxW(hwnd_, wide(text).c_str(), applicationTitle().c_str(),
                  MB_OK | (error ? MB_ICONSTOP : 0));
}

bool FormWindow::setClipboardText(std::string_view text) const {
    const std::wstring content = wide(text);
    // Another program may hold the clipboard for a moment.
    bool open = false;
    for (int attempt = 0; attempt < 20 && !open; ++attempt) {
        open = ::OpenClipboard(hwnd_);
        if (!open)
            ::Sleep(25);
    }
    if (!open)
        return false;
    bool done = false;
    ::EmptyClipboard();
    const size_t bytes = (content.size() + 1) * sizeof(wchar_t);
    if (HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes)) {
        std::copy_n(content.c_str(), content.size() + 1,
                    static_cast<wchar_t*>(::GlobalLock(memory)));
        ::GlobalUnlock(memory);
        done = ::SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
        if (!done)
            ::GlobalFree(memory);
    }
    ::CloseClipboard();
    return done;
}

void FormWindow::openPage(const std::wstring& pathOrAddress) const {
    ::ShellExecuteW(nullptr, L"open", pathOrAddress.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

bool FormWindow::hovered(std::string_view name) const {
    const Item* item = find(name);
    return item && item->hovered;
}

// ---------------------------------------------------------------------------
// The pointer: one control under it at a time, wherever the system reports
// the move (the control itself, or the window for a disabled control and a
// group box's free surface). Leaving is reported by TrackMouseEvent.

void FormWindow::raise(const Event& event) {
    events_.handle(event);
}

void FormWindow::pointerAt(POINT client) {
    setHovered(itemAt(client));
}

void FormWindow::pointerLeft() {
    POINT p;
    ::GetCursorPos(&p);
    HWND under = ::WindowFromPoint(p);
    ::ScreenToClient(hwnd_, &p);
    RECT client;
    ::GetClientRect(hwnd_, &client);
    if (::PtInRect(&client, p) && under && ::GetAncestor(under, GA_ROOT) == hwnd_)
        pointerAt(p);
    else
        setHovered(nullptr);
}

void FormWindow::setHovered(Item* item) {
    if (item == hovered_)
        return;
    Item* left = std::exchange(hovered_, item);
    auto restyle = [this](Item& changed) {
        if (changed.control->kind == ControlKind::LinkLabel)
            place(changed);
        else if (changed.control->kind == ControlKind::CheckBox)
            ::InvalidateRect(changed.hwnd, nullptr, TRUE);
    };
    if (left) {
        left->hovered = false;
        restyle(*left);
        raise({EventKind::PointerLeft, left->control->name});
    }
    if (item) {
        item->hovered = true;
        restyle(*item);
        raise({EventKind::PointerEntered, item->control->name});
    }
}

// ---------------------------------------------------------------------------
// Painting

// The whole check box, so that its caption takes the hover colour also
// where a visual style would draw it in its own colour.
LRESULT FormWindow::paintCheckBox(Item& item, NMCUSTOMDRAW& draw) {
    if (draw.dwDrawStage != CDDS_PREPAINT)
        return CDRF_DODEFAULT;
    HDC dc = draw.hdc;
    const RECT r = draw.rc;
    const LRESULT state = ::SendMessageW(item.hwnd, BM_GETSTATE, 0, 0);
    const bool isChecked = state & BST_CHECKED, pushed = state & BST_PUSHED;
    const bool enabled = ::IsWindowEnabled(item.hwnd);
    ::FillRect(dc, &r, brush(kSystemColour | COLOR_BTNFACE));

    const int side = std::min<int>(scale(13), r.bottom - r.top);
    RECT box{r.left, r.top + (r.bottom - r.top - side) / 2, r.left + side, 0};
    box.bottom = box.top + side;
    if (HTHEME theme = ::OpenThemeData(item.hwnd, L"BUTTON")) {
        const int base = isChecked ? CBS_CHECKEDNORMAL : CBS_UNCHECKEDNORMAL;
        const int offset = !enabled ? 3 : pushed ? 2 : item.hovered ? 1 : 0;
        ::DrawThemeBackground(theme, dc, BP_CHECKBOX, base + offset, &box, nullptr);
        ::CloseThemeData(theme);
    } else {
        ::DrawFrameControl(dc, &box, DFC_BUTTON,
                           DFCS_BUTTONCHECK | (isChecked ? DFCS_CHECKED : 0) |
                               (enabled ? 0 : DFCS_INACTIVE) | (pushed ? DFCS_PUSHED : 0));
    }

    const int length = ::GetWindowTextLengthW(item.hwnd);
    std::wstring caption(static_cast<size_t>(length) + 1, L'\0');
    ::GetWindowTextW(item.hwnd, caption.data(), length + 1);
    caption.resize(static_cast<size_t>(length));
    RECT text{box.right + scale(kCheckBoxGap), r.top, r.right, r.bottom};
    const Colour colour = !enabled                    ? kSystemColour | COLOR_GRAYTEXT
                          : item.hovered              ? kCheckBoxHoverColour
                          : item.textColour != kUnset ? item.textColour
                                                      : kWindowTextColour;
    HGDIOBJ oldFont = ::SelectObject(dc, item.font);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, colourRef(colour));
    ::DrawTextW(dc, caption.c_str(), length, &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    if (state & BST_FOCUS && !(::SendMessageW(item.hwnd, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS)) {
        RECT focus = text;
        ::DrawTextW(dc, caption.c_str(), length, &focus,
                    DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_CALCRECT);
        focus.top = r.top;
        focus.bottom = r.bottom;
        ::InflateRect(&focus, 1, 0);
        ::DrawFocusRect(dc, &focus);
    }
    ::SelectObject(dc, oldFont);
    return CDRF_SKIPDEFAULT;
}

void FormWindow::paintRow(Item& item, const DRAWITEMSTRUCT& draw) {
    HDC dc = draw.hDC;
    const int row = static_cast<int>(draw.itemID);
    const bool selected = draw.itemState & ODS_SELECTED;
    if (row < 0) { // an empty list's face
        ::FillRect(dc, &draw.rcItem, brush(kSystemColour | COLOR_WINDOW));
        return;
    }
    const RowLook look = events_.rowLook(item.control->name, row, selected);
    ::FillRect(dc, &draw.rcItem, brush(look.background));
    const auto length = ::SendMessageW(item.hwnd, CB_GETLBTEXTLEN, static_cast<WPARAM>(row), 0);
    std::wstring text(static_cast<size_t>(std::max<LRESULT>(length, 0)) + 1, L'\0');
    ::SendMessageW(item.hwnd, CB_GETLBTEXT, static_cast<WPARAM>(row),
                   reinterpret_cast<LPARAM>(text.data()));
    HGDIOBJ oldFont = ::SelectObject(dc, item.font);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, colourRef(look.text));
    ::TextOutW(dc, draw.rcItem.left + scale(item.control->rowIndent), draw.rcItem.top, text.c_str(),
               static_cast<int>(std::max<LRESULT>(length, 0)));
    ::SelectObject(dc, oldFont);
    if (draw.itemState & ODS_FOCUS && !(draw.itemState & ODS_NOFOCUSRECT))
        ::DrawFocusRect(dc, &draw.rcItem);
}

void FormWindow::paintLink(Item& item, const DRAWITEMSTRUCT& draw) {
    HDC dc = draw.hDC;
    ::FillRect(dc, &draw.rcItem,
               brush(item.hovered ? kLinkHoverBackground : kSystemColour | COLOR_BTNFACE));
    const int length = ::GetWindowTextLengthW(item.hwnd);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    ::GetWindowTextW(item.hwnd, text.data(), length + 1);
    HGDIOBJ oldFont = ::SelectObject(dc, item.hovered ? item.hoverFont : item.font);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, colourRef(item.hovered ? kLinkHoverColour : kLinkColour));
    RECT r = draw.rcItem;
    ::DrawTextW(dc, text.c_str(), length, &r, DT_SINGLELINE | DT_NOPREFIX);
    ::SelectObject(dc, oldFont);
}

void FormWindow::showPopup(POINT screen, HWND from) {
    if (!popup_)
        return;
    Item* item = nullptr;
    if (screen.x == -1 && screen.y == -1) { // from the keyboard: at the focused control
        item = byHandle(::GetFocus());
        RECT r{};
        if (item)
            ::GetWindowRect(item->hwnd, &r);
        screen = {r.left, r.bottom};
    } else {
        POINT client = screen;
        ::ScreenToClient(hwnd_, &client);
        item = from == hwnd_ ? itemAt(client) : byHandle(from);
    }
    // A control without a popup menu of its own shows its group's.
    const bool asks =
        item && (item->control->popupMenu || (!item->control->parent.empty() &&
                                              find(item->control->parent)->control->popupMenu));
    if (asks)
        ::TrackPopupMenuEx(popup_, TPM_RIGHTBUTTON, screen.x, screen.y, hwnd_, nullptr);
}

// ---------------------------------------------------------------------------
// Messages

LRESULT CALLBACK FormWindow::windowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* created = reinterpret_cast<FormWindow*>(
            reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
        created->hwnd_ = hwnd;
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
    }
    auto* self = reinterpret_cast<FormWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    return self ? self->message(msg, wParam, lParam) : ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK FormWindow::controlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR, DWORD_PTR data) {
    auto* self = reinterpret_cast<FormWindow*>(data);
    if (Item* item = self->byHandle(hwnd))
        return self->controlMessage(*item, msg, wParam, lParam);
    return ::DefSubclassProc(hwnd, msg, wParam, lParam);
}

LRESULT FormWindow::controlMessage(Item& item, UINT msg, WPARAM wParam, LPARAM lParam) {
    const Control& c = *item.control;
    switch (msg) {
    case WM_MOUSEMOVE: {
        POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        ::MapWindowPoints(item.hwnd, hwnd_, &p, 1);
        pointerAt(p);
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, item.hwnd, 0};
        ::TrackMouseEvent(&track);
        break;
    }
    case WM_MOUSELEAVE:
        pointerLeft();
        break;
    case WM_CHAR:
        if (c.kind == ControlKind::NumericEdit) {
            // The window's key hook first, then the edit's own filter.
            const auto typed = static_cast<char16_t>(wParam);
            if ((!c.keys.empty() && c.keys.find(typed) == std::u16string_view::npos) ||
                kNumericEditKeys.find(typed) == std::u16string_view::npos)
                return 0;
        }
        break;
    case WM_LBUTTONUP:
        if (c.kind == ControlKind::NumericEdit) {
            // A click selects the whole text, so that the next digit replaces it.
            const LRESULT result = ::DefSubclassProc(item.hwnd, msg, wParam, lParam);
            RECT r;
            ::GetClientRect(item.hwnd, &r);
            const POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            if (::PtInRect(&r, p))
                ::SendMessageW(item.hwnd, EM_SETSEL, 0, -1);
            return result;
        }
        break;
    case WM_NCDESTROY:
        ::RemoveWindowSubclass(item.hwnd, &controlProc, kSubclassId);
        break;
    }
    return ::DefSubclassProc(item.hwnd, msg, wParam, lParam);
}

LRESULT FormWindow::message(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_COMMAND: {
        const int id = LOWORD(wParam), code = HIWORD(wParam);
        if (lParam == 0 && id >= kFirstMenuId &&
            id < kFirstMenuId + static_cast<int>(menuNames_.size())) {
            raise({EventKind::Click, menuNames_[static_cast<size_t>(id - kFirstMenuId)]});
            return 0;
        }
        Item* item = byId(id);
        if (!item || quiet_)
            break;
        switch (item->control->kind) {
        case ControlKind::CheckBox:
        case ControlKind::Button:
            if (code == BN_CLICKED)
                raise({EventKind::Click, item->control->name});
            break;
        case ControlKind::LinkLabel:
            if (code == STN_CLICKED)
                raise({EventKind::Click, item->control->name});
            break;
        case ControlKind::OwnerDrawList:
            if (code == CBN_SELCHANGE)
                raise({EventKind::ChooseRow, item->control->name,
                       static_cast<int>(::SendMessageW(item->hwnd, CB_GETCURSEL, 0, 0))});
            break;
        case ControlKind::NumericEdit:
            if (code == EN_CHANGE)
                raise({EventKind::TextChanged, item->control->name});
            break;
        default:
            break;
        }
        return 0;
    }
    case WM_NOTIFY: {
        auto& header = *reinterpret_cast<NMHDR*>(lParam);
        Item* item = byHandle(header.hwndFrom);
        if (item && item->control->kind == ControlKind::CheckBox && header.code == NM_CUSTOMDRAW)
            return paintCheckBox(*item, *reinterpret_cast<NMCUSTOMDRAW*>(lParam));
        break;
    }
    case WM_MEASUREITEM: {
        auto& measure = *reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (Item* item = byId(static_cast<int>(measure.CtlID))) {
            measure.itemHeight = static_cast<UINT>(scale(item->control->rowHeight));
            return TRUE;
        }
        break;
    }
    case WM_DRAWITEM: {
        const auto& draw = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (Item* item = byId(static_cast<int>(draw.CtlID))) {
            if (item->control->kind == ControlKind::OwnerDrawList)
                paintRow(*item, draw);
            else if (item->control->kind == ControlKind::LinkLabel)
                paintLink(*item, draw);
            return TRUE;
        }
        break;
    }
    case WM_CTLCOLORSTATIC: {
        Item* item = byHandle(reinterpret_cast<HWND>(lParam));
        if (!item || item->control->kind == ControlKind::NumericEdit)
            break;
        HDC dc = reinterpret_cast<HDC>(wParam);
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(
            dc, colourRef(item->textColour != kUnset ? item->textColour : kWindowTextColour));
        return reinterpret_cast<LRESULT>(brush(kSystemColour | COLOR_BTNFACE));
    }
    case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT) {
            POINT p;
            ::GetCursorPos(&p);
            ::ScreenToClient(hwnd_, &p);
            const Item* item = itemAt(p);
            if (item && item->control->handCursor) {
                ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
                return TRUE;
            }
        }
        break;
    case WM_MOUSEMOVE: {
        pointerAt({static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd_, 0};
        ::TrackMouseEvent(&track);
        return 0;
    }
    case WM_MOUSELEAVE:
        pointerLeft();
        return 0;
    case WM_CONTEXTMENU:
        showPopup({static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))},
                  reinterpret_cast<HWND>(wParam));
        return 0;
    case WM_TIMER:
        if (wParam == kTimerId) {
            raise({EventKind::Timer, {}});
            return 0;
        }
        break;
    case WM_ACTIVATE:
        // The focus comes back to the control that had it.
        if (LOWORD(wParam) == WA_INACTIVE) {
            focus_ = ::GetFocus();
        } else if (focus_ && ::IsChild(hwnd_, focus_)) {
            ::SetFocus(focus_);
            return 0;
        }
        break;
    case WM_DPICHANGED: {
        dpi_ = HIWORD(wParam);
        freeFonts();
        makeFonts();
        const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
        ::SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        fitClientArea();
        layout();
        return 0;
    }
    case WM_CLOSE:
        raise({EventKind::Close, {}});
        ::DestroyWindow(hwnd_);
        return 0;
    case WM_DESTROY:
        if (endsProgram_)
            ::PostQuitMessage(0);
        break;
    }
    return ::DefWindowProcW(hwnd_, msg, wParam, lParam);
}

int runMessageLoop() {
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        HWND root = msg.hwnd ? ::GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
        if (root && ::IsDialogMessageW(root, &msg))
            continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

} // namespace hakomaru::win32
