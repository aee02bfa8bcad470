#pragma once
// A top-level window of real Windows controls built from a form description
// (FormDescription.h), at the dpi of the monitor it is on, and the narrow
// view through which a window's logic drives it: texts, checked, enabled,
// visible, colours, rows, place, timer, messages, clipboard, pages. What the
// user does comes back as named events; the controls' own behaviour (the
// numeric edit's filter, the hover looks, the hand cursor, owner-drawn rows)
// lives here, with the mechanics of the Windows API.
#include "FormDescription.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <windows.h>

#include <commctrl.h>

namespace hakomaru::win32 {

enum class EventKind {
    Click,          // a button, check box, link label or menu item
    ChooseRow,      // the user picked a row of a list
    TextChanged,    // the user changed an edit's text
    PointerEntered, // the pointer came over a control (disabled ones too)
    PointerLeft,
    Timer,
    Close, // the user asks to close the window; it closes afterwards
};

struct Event {
    EventKind kind;
    std::string_view name; // the control or menu item; empty for Timer and Close
    int row = -1;          // ChooseRow: the row picked
};

struct RowLook {
    Colour background, text;
};

// What a window's logic hears from its window.
class FormEvents {
  public:
    virtual ~FormEvents() = default;
    virtual void handle(const Event& event) = 0;
    // The colours of one owner-drawn row; `selected` also for the closed
    // list's face while it has the focus.
    virtual RowLook rowLook(std::string_view list, int row, bool selected) = 0;
};

// The caption of message boxes, whichever window shows them.
void setApplicationTitle(std::string_view title);

class FormWindow {
  public:
    // Creates the window hidden, with its controls and menus, at the dpi of
    // the monitor it opens on. `endsProgram`: closing it ends the message loop.
    FormWindow(const Form& form, FormEvents& events, bool endsProgram = false);
    ~FormWindow();
    FormWindow(const FormWindow&) = delete;
    FormWindow& operator=(const FormWindow&) = delete;

    HWND handle() const { return hwnd_; }
    HWND control(std::string_view name) const; // null for an unknown name
    UINT dpi() const { return dpi_; }
    const Form& form() const { return form_; }

    // Shows the window and gives the focus to the first control in tab order.
    void show(int showCommand = SW_SHOWNORMAL);

    // The view. Nothing set here raises an event.
    void setText(std::string_view name, std::string_view text);
    std::string text(std::string_view name) const;
    void setChecked(std::string_view name, bool checked);
    bool checked(std::string_view name) const;
    void setEnabled(std::string_view name, bool enabled);
    void setVisible(std::string_view name, bool visible);
    void setTextColour(std::string_view name, Colour colour);
    void setRows(std::string_view name, std::span<const std::string_view> rows);
    void selectRow(std::string_view name, int row);
    int selectedRow(std::string_view name) const;
    void selectText(std::string_view name, int start, int length);
    void move(int left, int top); // the frame's top-left corner, screen pixels
    void startTimer(UINT milliseconds);
    void stopTimer();
    void showMessage(std::string_view text, bool error) const;
    // Replaces the clipboard's content with the text; false when the
    // clipboard stayed busy.
    bool setClipboardText(std::string_view text) const;
    // Opens a document or an address with the user's program for it.
    void openPage(const std::wstring& pathOrAddress) const;

    // Whether the pointer is over the control, as its look shows.
    bool hovered(std::string_view name) const;

  private:
    struct Item {
        const Control* control = nullptr;
        HWND hwnd = nullptr;
        int id = 0;
        POINT origin{}; // the parent group's corner at 96 dpi
        HFONT font = nullptr;
        HFONT hoverFont = nullptr; // link labels under the pointer
        Colour textColour = kUnset;
        bool hovered = false;
    };

    static void registerClass();
    static LRESULT CALLBACK windowProc(HWND, UINT, WPARAM, LPARAM);
    static LRESULT CALLBACK controlProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    LRESULT message(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT controlMessage(Item& item, UINT msg, WPARAM wParam, LPARAM lParam);

    void createControls();
    void createMenus();
    void fitClientArea();
    void layout();
    void place(Item& item);
    void makeFonts();
    void freeFonts();
    int scale(int value) const;
    Item* find(std::string_view name);
    const Item* find(std::string_view name) const;
    Item* byHandle(HWND hwnd);
    Item* byId(int id);
    Item* itemAt(POINT client);
    void pointerAt(POINT client);
    void pointerLeft();
    void setHovered(Item* item);
    void raise(const Event& event);

    LRESULT paintCheckBox(Item& item, NMCUSTOMDRAW& draw);
    void paintRow(Item& item, const DRAWITEMSTRUCT& draw);
    void paintLink(Item& item, const DRAWITEMSTRUCT& draw);
    SIZE textSize(const Item& item, HFONT font) const;
    void showPopup(POINT screen, HWND from);

    const Form& form_;
    FormEvents& events_;
    const bool endsProgram_;
    HWND hwnd_ = nullptr;
    UINT dpi_ = 96;
    std::vector<Item> items_;
    std::vector<std::string_view> menuNames_; // menu bar items, then popup items
    HMENU popup_ = nullptr;
    Item* hovered_ = nullptr;
    HWND focus_ = nullptr; // the control that had the focus when the window was left
    bool quiet_ = false;   // the view changes a control: no event
};

// Runs the message loop, with keyboard navigation between controls, until
// a window that ends the program has closed; returns the exit code.
int runMessageLoop();

} // namespace hakomaru::win32
