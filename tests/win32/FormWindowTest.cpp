// The Windows front end's controls driven by real messages, the queue
// pumped until it is empty, and their state read back through the Windows
// API. Under wine: scripts/windows-check.sh runs them on its X server.
#include "FormWindow.h"
#include "Fonts.h"
#include "ProbeWindow.h"
#include "Text.h"
#include "system/ProgramFile.h"
#include "tariff/Catalogues.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

using namespace hakomaru::win32;

namespace {

void pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

// Pumps until `done` holds, waiting for messages in between; false after
// `ms` milliseconds.
bool pumpUntil(const std::function<bool()>& done, ULONGLONG ms = 5000) {
    const ULONGLONG end = ::GetTickCount64() + ms;
    for (pump(); !done(); pump()) {
        const ULONGLONG now = ::GetTickCount64();
        if (now >= end)
            return false;
        ::MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(end - now), QS_ALLINPUT,
                                      MWMO_INPUTAVAILABLE);
    }
    return true;
}

RECT inClient(HWND form, HWND control) {
    RECT r;
    ::GetWindowRect(control, &r);
    ::MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// The pointer on the middle of a control, as the system would report it to
// the control itself (`to` null) or to the window under it.
void pointTo(HWND control, HWND to = nullptr) {
    RECT r;
    ::GetClientRect(control, &r);
    POINT p{r.right / 2, r.bottom / 2};
    POINT screen = p;
    ::ClientToScreen(control, &screen);
    ::SetCursorPos(screen.x, screen.y);
    if (to)
        ::MapWindowPoints(control, to, &p, 1);
    ::SendMessageW(to ? to : control, WM_MOUSEMOVE, 0, MAKELPARAM(p.x, p.y));
    pump();
}

// How many pixels of a colour a window paints.
int paintedPixels(HWND hwnd, COLORREF colour, RECT* part = nullptr) {
    RECT r;
    ::GetClientRect(hwnd, &r);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), r.right, -r.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC dc = ::CreateCompatibleDC(nullptr);
    HBITMAP bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(dc, bitmap);
    ::PrintWindow(hwnd, dc, PW_CLIENTONLY);
    const RECT area = part ? *part : r;
    int count = 0;
    for (LONG y = area.top; y < area.bottom; ++y) {
        for (LONG x = area.left; x < area.right; ++x) {
            const DWORD p = static_cast<const DWORD*>(bits)[y * r.right + x];
            count += RGB(p >> 16 & 0xFF, p >> 8 & 0xFF, p & 0xFF) == colour;
        }
    }
    ::SelectObject(dc, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
    return count;
}

void typeInto(HWND edit, std::wstring_view keys) {
    ::SendMessageW(edit, EM_SETSEL, 0, -1);
    for (wchar_t key : keys)
        ::SendMessageW(edit, WM_CHAR, key, 1);
    pump();
}

void chooseRow(HWND list, int row) {
    ::SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(row), 0);
    ::SendMessageW(::GetParent(list), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(list), CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(list));
    pump();
}

// A Windows structure that starts with its own size.
template <class T> T sized() {
    T t{};
    t.cbSize = sizeof t;
    return t;
}

struct Heard {
    EventKind kind;
    std::string name;
    int row = -1;
    bool operator==(const Heard&) const = default;
};
[[maybe_unused]] void PrintTo(const Heard& h, std::ostream* out) {
    *out << static_cast<int>(h.kind) << ' ' << h.name << ' ' << h.row;
}

struct Recorder : FormEvents {
    std::vector<Heard> events;
    void handle(const Event& e) override { events.push_back({e.kind, std::string(e.name), e.row}); }
    RowLook rowLook(std::string_view, int, bool) override { return {rgb(10, 20, 30), 0}; }
    int count(EventKind kind) const {
        int n = 0;
        for (const Heard& e : events)
            n += e.kind == kind;
        return n;
    }
};

// The probe's window with a recorder for what it raises.
struct Recorded : testing::Test {
    Recorder recorder;
    FormWindow window{kProbeForm, recorder};
    void SetUp() override {
        // The pointer away from the window until a test brings it there.
        window.move(100, 100);
        ::SetCursorPos(0, 0);
        window.setRows("cmbFrom", hakomaru::PrefectureRows(false));
        window.show(SW_SHOWNOACTIVATE);
        pump();
    }
    HWND control(std::string_view name) const { return window.control(name); }
};

// The probe's window driven by the main window's selection model, on the
// tariff beside the test program.
struct Probe : testing::Test {
    ProbeWindow probe{hakomaru::sys::programFile(nullptr).parent_path(), false};
    FormWindow& window = probe.window();
    void SetUp() override {
        window.move(100, 100);
        window.show(SW_SHOWNOACTIVATE);
        pump();
    }
    HWND control(std::string_view name) const { return window.control(name); }
};

} // namespace

// Each control at the bounds, and in the font, its description gives, at
// the dpi the window opened at: 96, or 192 in the run with --at-dpi=192.
TEST_F(Recorded, GeometryAtTheWindowsDpi) {
    const char* asked = std::getenv("HAKOMARU_TEST_DPI");
    const int dpi = static_cast<int>(window.dpi());
    ASSERT_EQ(dpi, asked ? std::atoi(asked) : 96);
    ASSERT_EQ(::GetDpiForWindow(window.handle()), window.dpi());
    auto s = [dpi](int v) { return ::MulDiv(v, dpi, 96); };
    RECT client;
    ::GetClientRect(window.handle(), &client);
    EXPECT_EQ(client.right, s(kProbeForm.clientWidth));
    EXPECT_EQ(client.bottom, s(kProbeForm.clientHeight));
    auto bar = sized<MENUBARINFO>();
    ASSERT_TRUE(::GetMenuBarInfo(window.handle(), OBJID_MENU, 0, &bar));
    POINT origin{0, 0};
    ::ClientToScreen(window.handle(), &origin);
    EXPECT_LT(bar.rcBar.top, origin.y) << "the menu bar lies above the client area";

    for (const Control& c : kProbeForm.controls) {
        SCOPED_TRACE(std::string(c.name));
        HWND hwnd = control(c.name);
        int left = c.bounds.left, top = c.bounds.top;
        for (const Control& group : kProbeForm.controls) {
            if (group.name == c.parent)
                left += group.bounds.left, top += group.bounds.top;
        }
        const RECT want{s(left), s(top), s(left + c.bounds.width), s(top + c.bounds.height)};
        const RECT got = inClient(window.handle(), hwnd);
        // A control sized to its text keeps the edge it is aligned to; a
        // link label's size follows its text and font.
        const bool link = c.kind == ControlKind::LinkLabel;
        EXPECT_EQ(got.top, want.top);
        if (!c.sizedToText || !c.rightAligned) {
            EXPECT_EQ(got.left, want.left);
        }
        if (!link) {
            EXPECT_EQ(got.bottom, want.bottom);
        }
        if (!link && (!c.sizedToText || c.rightAligned)) {
            EXPECT_EQ(got.right, want.right);
        }
        // The font: its size at this dpi, in the face asked for, which the
        // test prefix maps to an IPA font.
        auto* font = reinterpret_cast<HFONT>(::SendMessageW(hwnd, WM_GETFONT, 0, 0));
        LOGFONTW lf{};
        ::GetObjectW(font, sizeof lf, &lf);
        const int height = c.kind == ControlKind::LinkLabel ? ::MulDiv(kLinkPoints, dpi, 72)
                           : c.font.pixels                  ? s(c.font.pixels)
                                                            : s(kProbeForm.font.pixels);
        EXPECT_EQ(lf.lfHeight, -height);
        HDC dc = ::GetDC(hwnd);
        ::SelectObject(dc, font);
        wchar_t face[LF_FACESIZE] = {};
        ::GetTextFaceW(dc, LF_FACESIZE, face);
        ::ReleaseDC(hwnd, dc);
        EXPECT_EQ(utf8(face), c.font.face.empty() ? kProbeForm.font.face : c.font.face);
        if (c.kind == ControlKind::OwnerDrawList) {
            EXPECT_EQ(::SendMessageW(hwnd, CB_GETITEMHEIGHT, 0, 0), s(c.rowHeight));
        }
    }
}

TEST(Fonts, AFaceNotInstalledFallsBackToAnInstalledOne) {
    const std::vector<std::wstring> faces{L"No Such Face", L"ＭＳ Ｐゴシック"};
    EXPECT_EQ(installedFace(faces), L"ＭＳ Ｐゴシック");
    EXPECT_FALSE(installedFace(faceCandidates("No Such Face")).empty());
}

// What the user does comes back as one named event; what the view sets
// raises none.
TEST_F(Recorded, UserActionsRaiseNamedEvents) {
    const struct {
        const char* what;
        std::function<void(Recorded&)> act;
        Heard heard;
    } cases[] = {
        {"BM_CLICK on a check box",
         [](Recorded& t) { ::SendMessageW(t.control("chkKakitome"), BM_CLICK, 0, 0); },
         {EventKind::Click, "chkKakitome"}},
        {"a row picked",
         [](Recorded& t) { chooseRow(t.control("cmbFrom"), 14); },
         {EventKind::ChooseRow, "cmbFrom", 14}},
        {"a digit typed",
         [](Recorded& t) { typeInto(t.control("edtDaihiki"), L"7"); },
         {EventKind::TextChanged, "edtDaihiki"}},
        {"a menu command",
         [](Recorded& t) {
             HMENU help = ::GetSubMenu(::GetMenu(t.window.handle()), 1);
             ::SendMessageW(t.window.handle(), WM_COMMAND, ::GetMenuItemID(help, 0), 0);
         },
         {EventKind::Click, "mnuMain_Help_Use"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        recorder.events.clear();
        c.act(*this);
        EXPECT_EQ(recorder.events, std::vector<Heard>{c.heard});
    }

    recorder.events.clear();
    window.setText("edtDaihiki", "5");
    window.setChecked("chkKakitome", true);
    window.selectRow("cmbFrom", 3);
    pump();
    EXPECT_TRUE(recorder.events.empty());
}

TEST_F(Recorded, MenuBarHoldsTheFormsMenus) {
    HMENU bar = ::GetMenu(window.handle());
    ASSERT_EQ(::GetMenuItemCount(bar), 2);
    wchar_t caption[64];
    ::GetMenuStringW(bar, 1, caption, 64, MF_BYPOSITION);
    EXPECT_EQ(utf8(caption), "ヘルプ(&H)");
    EXPECT_TRUE(::GetMenuState(::GetSubMenu(bar, 0), 0, MF_BYPOSITION) & MF_GRAYED);
}

// The window's keys (digits, "." and backspace for the amount), then the
// edit's own: an edit whose window lets everything through still takes
// only backspace, "*", ",", "-", "." and the digits.
TEST(NumericEdit, TypedCharactersPassTheWindowsKeysThenItsOwn) {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
    static constexpr Control kEdits[] = {
        {.name = "amount",
         .kind = ControlKind::NumericEdit,
         .bounds = {0, 0, 80, 21},
         .maxLength = 7,
         .keys = kAmountKeys},
        {.name = "free",
         .kind = ControlKind::NumericEdit,
         .bounds = {0, 30, 80, 21},
         .maxLength = 7},
    };
    static constexpr Form kForm{.name = "f",
                                .title = "t",
                                .clientWidth = 100,
                                .clientHeight = 60,
                                .font = {"ＭＳ Ｐゴシック", 12},
                                .controls = kEdits};
#pragma GCC diagnostic pop
    Recorder recorder;
    FormWindow window(kForm, recorder);
    const struct {
        const char* edit;
        std::wstring_view typed;
        const char* text;
    } cases[] = {
        {"amount", L"1a2", "12"},           {"amount", L"3.5", "3.5"},
        {"amount", L"-*,+x", ""},           {"amount", L"１２", ""},
        {"amount", L"12\b", "1"},           {"amount", L"\x16\x03", ""},
        {"amount", L"12345678", "1234567"}, {"free", L"+-*a,.1", "-*,.1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        window.setText(c.edit, "");
        typeInto(window.control(c.edit), c.typed);
        EXPECT_EQ(window.text(c.edit), c.text);
    }
    EXPECT_TRUE(::GetWindowLongW(window.control("amount"), GWL_STYLE) & ES_RIGHT);
}

// A check box's caption and a link label's text turn blue under the
// pointer, the pointer shows a hand, and both turn back when the system
// reports that the pointer has left.
TEST_F(Recorded, HoverLookUntilThePointerLeaves) {
    for (const char* name : {"chkKakitome", "lblHelp"}) {
        SCOPED_TRACE(name);
        HWND hwnd = control(name);
        const LONG restWidth = inClient(window.handle(), hwnd).right;
        recorder.events.clear();
        pointTo(hwnd);
        EXPECT_TRUE(window.hovered(name));
        TRACKMOUSEEVENT query{sizeof query, TME_QUERY, nullptr, 0};
        ::TrackMouseEvent(&query);
        EXPECT_EQ(query.hwndTrack, hwnd);
        EXPECT_GT(paintedPixels(hwnd, RGB(0, 0, 255)), 0);
        ::SendMessageW(hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd),
                       MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_HAND));
        if (std::string_view(name) == "lblHelp") {
            EXPECT_GT(inClient(window.handle(), hwnd).right, restWidth) << "larger, bold";
        }

        ::SetCursorPos(0, 0);
        ASSERT_TRUE(pumpUntil([&] { return !window.hovered(name); }));
        EXPECT_EQ(paintedPixels(hwnd, RGB(0, 0, 255)), 0);
        EXPECT_EQ(inClient(window.handle(), hwnd).right, restWidth);
        std::vector<Heard> crossed;
        for (const Heard& e : recorder.events) {
            if (e.name == name)
                crossed.push_back(e);
        }
        EXPECT_EQ(crossed, (std::vector<Heard>{{EventKind::PointerEntered, name},
                                               {EventKind::PointerLeft, name}}));
    }
}

// The system sends a disabled control's pointer moves to the window, and a
// group box lets them through: the window finds the control under them.
TEST_F(Recorded, PointerOverDisabledControlsAndGroupSurfaces) {
    window.setEnabled("chkKakitome", false);
    pointTo(control("chkKakitome"), window.handle());
    EXPECT_TRUE(window.hovered("chkKakitome"));
    pointTo(control("grpYoupack"), window.handle());
    EXPECT_TRUE(window.hovered("grpYoupack"));
    EXPECT_FALSE(window.hovered("chkKakitome"));
}

TEST_F(Recorded, TimerTicksEveryHundredMilliseconds) {
    const ULONGLONG start = ::GetTickCount64();
    window.startTimer(100);
    ASSERT_TRUE(pumpUntil([&] { return recorder.count(EventKind::Timer) == 3; }));
    window.stopTimer();
    EXPECT_GE(::GetTickCount64() - start, 250u);
}

TEST_F(Recorded, ClipboardHoldsTheTextAsUnicode) {
    const std::string text = "送料¥600 + 書留¥360 = 合計額¥960\r\n";
    ASSERT_TRUE(window.setClipboardText(text));
    ASSERT_TRUE(::OpenClipboard(nullptr));
    const auto* held =
        static_cast<const wchar_t*>(::GlobalLock(::GetClipboardData(CF_UNICODETEXT)));
    const std::string read = held ? utf8(held) : std::string();
    ::CloseClipboard();
    EXPECT_EQ(read, text);
}

TEST_F(Recorded, CloseAskedOnceThenTheWindowIsGone) {
    ::SendMessageW(window.handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(recorder.count(EventKind::Close), 1);
    EXPECT_FALSE(::IsWindow(window.handle()));
}

// The prefecture rows in the colours of their region, the separator rows
// in the stronger one, the selected row in the system's selection colours.
TEST_F(Probe, OwnerDrawnRowsInTheirColours) {
    HWND combo = control("cmbFrom");
    EXPECT_GT(paintedPixels(combo, RGB(0xFF, 0xFF, 0xAD)), 0) << "北海道 on the closed list";
    // Away from the list, which would select the row under the pointer.
    ::SetCursorPos(0, 0);
    ::SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
    pump();
    auto info = sized<COMBOBOXINFO>();
    ASSERT_TRUE(::GetComboBoxInfo(combo, &info));
    const struct {
        int row;
        COLORREF background;
    } rows[] = {{0, ::GetSysColor(COLOR_HIGHLIGHT)},
                {1, RGB(0xEF, 0xAD, 0x8C)},
                {2, RGB(0xEF, 0xDD, 0xC2)},
                {8, RGB(0xAE, 0xB9, 0x79)},
                {23, RGB(0xDC, 0xE8, 0xDF)}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.row);
        RECT item;
        ::SendMessageW(info.hwndList, LB_GETITEMRECT, static_cast<WPARAM>(r.row),
                       reinterpret_cast<LPARAM>(&item));
        EXPECT_EQ(item.bottom - item.top, ::MulDiv(13, static_cast<int>(window.dpi()), 96));
        RECT edge{item.right - 4, item.top, item.right - 1, item.bottom};
        EXPECT_EQ(paintedPixels(info.hwndList, r.background, &edge), 3 * (item.bottom - item.top));
    }
    ::SendMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);
}

// Real messages reach the main window's selection model, and the model's
// state comes back to the controls.
TEST_F(Probe, RealMessagesDriveTheModel) {
    const std::string total = window.text("lblYouTotal");
    typeInto(control("edtDaihiki"), L"6");
    EXPECT_EQ(::SendMessageW(control("chkKakitome"), BM_GETCHECK, 0, 0), BST_CHECKED)
        << "an amount above 5 checks 書留";
    EXPECT_NE(window.text("lblYouTotal"), total);
    ::SendMessageW(control("chkYouSokutatsu"), BM_CLICK, 0, 0);
    pump();
    EXPECT_EQ(::SendMessageW(control("chkYouSokutatsu"), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_NE(window.text("lblDetail").find("速達"), std::string::npos);
    chooseRow(control("cmbFrom"), 1);
    EXPECT_EQ(window.selectedRow("cmbFrom"), 2) << "a separator picked gives the place below it";
    typeInto(control("edtDaihiki"), L"\b");
    EXPECT_EQ(window.text("edtDaihiki"), "0") << "an empty amount becomes 0";
    EXPECT_EQ(::SendMessageW(control("chkKakitome"), BM_GETCHECK, 0, 0), BST_UNCHECKED);
}
