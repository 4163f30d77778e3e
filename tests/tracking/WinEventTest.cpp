// The accessibility tracker: its re-entrancy filter as logic, the keyboard
// focus of real windows followed through the WinEvent hooks and Active
// Accessibility under Wine, and the caret, which Wine never reports, through
// a stand-in accessible object behind the lookup seam.
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <vector>

#include "core/EventDispatcher.h"
#include "tests/support/MessagePump.h"
#include "tests/support/Settings.h"
#include "tests/support/StandInMagWin.h"
#include "tests/support/ViewChecks.h"
#include "tracking/AccessibleLookup.h"
#include "tracking/MagTracker.h"
#include "tracking/UserEventBase.h"
#include "tracking/WinEventReentrancyFilter.h"
#include "tracking/WinEventTracker.h"

namespace {

// The filter's callback records event ids; some ids raise more notifications
// while being handled, some throw.
Hook::WinEventReentrancyFilter_Impl* g_filter = nullptr;
std::vector<DWORD> g_handled;

void Raise(DWORD event) {
    g_filter->Filter(nullptr, event, nullptr, 0, 0, 0, 0);
}

void CALLBACK Handle(HWINEVENTHOOK, DWORD event, HWND, LONG, LONG, DWORD, DWORD) {
    g_handled.push_back(event);
    switch (event) {
        case 1:  // two arrive while 1 is handled, and one more while 2 is
            Raise(2);
            Raise(3);
            break;
        case 2:
            Raise(4);
            break;
        case 10:  // throws after 2 arrived
            Raise(2);
            throw std::runtime_error("direct");
        case 20:
            Raise(21);
            Raise(3);
            break;
        case 21:
            throw std::runtime_error("queued");
    }
}

// The calls handled since the last look.
std::vector<DWORD> Handled() {
    std::vector<DWORD> handled;
    handled.swap(g_handled);
    return handled;
}

TEST(WinEventFilter, NestedCallsRunOnceEachInArrivalOrderAndNoThrowStopsTheQueueOrLeavesTheFilterBusy) {
    Hook::WinEventReentrancyFilter_Impl filter;
    g_filter = &filter;
    filter.SetCallback(Handle);

    Raise(1);
    EXPECT_EQ((std::vector<DWORD>{1, 2, 3, 4}), Handled());

    // A throwing direct call: the queue still drains, the filter is free.
    EXPECT_THROW(Raise(10), std::runtime_error);
    EXPECT_EQ((std::vector<DWORD>{10, 2, 4}), Handled());
    EXPECT_FALSE(filter.Busy());
    Raise(5);
    EXPECT_EQ((std::vector<DWORD>{5}), Handled()) << "handled at once, not queued behind a stuck flag";

    // A throwing queued call: the others still run.
    EXPECT_NO_THROW(Raise(20));
    EXPECT_EQ((std::vector<DWORD>{20, 21, 3}), Handled());
    EXPECT_FALSE(filter.Busy());
}

TEST(WinEventRect, FarLocationsAreHeldWithoutOverflow) {
    RECT r = Hook::RectFromLocation(0x7FFFFFFF, -0x7FFFFFFF, 0x7FFFFFFF, -0x7FFFFFFF);
    EXPECT_EQ(1 << 28, r.right);
    EXPECT_EQ(-(1 << 28), r.bottom);
}

// Records every rectangle the accessibility tracker hands over.
class RecordingMagWin : public StandInMagWin {
public:
    using StandInMagWin::StandInMagWin;
    void SetFocusRect(const RECT& rect) override {
        focus.push_back(rect);
        StandInMagWin::SetFocusRect(rect);
    }
    void SetCaretRect(const RECT& rect) override {
        caret.push_back(rect);
        StandInMagWin::SetCaretRect(rect);
    }
    std::vector<RECT> focus;
    std::vector<RECT> caret;
};

bool SameRect(const RECT& a, const RECT& b) {
    return EqualRect(&a, &b) != FALSE;
}

RECT ScreenRect(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

// The view tracker (and with it the accessibility tracker) over a stand-in
// output showing the bottom-right quarter of the screen at zoom 2.
class WinEventTrackerTest : public ::testing::Test {
protected:
    void SetUp() override {
        LoadSettings(reg_, {{L"FullScreen", 1}, {L"ZoomLevel_10", 20}});
        ASSERT_TRUE(magwin_.SetWindowRect({0, 0, 1280, 1024}, false));
        ASSERT_TRUE(magwin_.SetSourceRect({640, 512, 640, 512}, false));
        tracker_ = std::make_unique<MagTracker>(&hub_, &magwin_);
    }
    void TearDown() override {
        tracker_.reset();
        for (HWND w : windows_) DestroyWindow(w);
        Pump();
    }

    HWND Window(const wchar_t* cls, DWORD style, int x, int y, int w, int h, HWND parent = nullptr) {
        HWND window =
            CreateWindowExW(0, cls, L"text", style, x, y, w, h, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
        if (!parent) windows_.push_back(window);
        return window;
    }

    RegistrySandbox reg_;
    Hook::EventDispatcher hub_;
    RecordingMagWin magwin_{&hub_};
    std::unique_ptr<MagTracker> tracker_;
    std::vector<HWND> windows_;
};

TEST_F(WinEventTrackerTest, TheFocusOfRealControlsReachesTheMagnifierAndMovesTheView) {
    HWND frame = Window(L"STATIC", WS_POPUP | WS_VISIBLE, 40, 40, 400, 300);
    HWND edit = Window(L"EDIT", WS_CHILD | WS_VISIBLE | WS_BORDER, 20, 20, 200, 25, frame);
    HWND button = Window(L"BUTTON", WS_CHILD | WS_VISIBLE, 20, 80, 100, 30, frame);
    ASSERT_TRUE(edit && button);

    SetForegroundWindow(frame);
    SetFocus(edit);
    ASSERT_TRUE(PumpUntil([&] { return SameRect(ScreenRect(edit), magwin_.FocusRect()); }));
    ASSERT_FALSE(tracker_->Events().empty());
    EXPECT_EQ(kFocusEventKind, tracker_->Events().front()->Kind());
    DWORD elapsed = 100000;  // pans until the view stands still
    for (int i = 0; i < 50 && tracker_->NeedsUpdate(); ++i) ASSERT_TRUE(MagTracker::OnTick(tracker_.get(), &elapsed));
    ViewRect view = magwin_.SourceRect();
    RECT e = ScreenRect(edit);
    EXPECT_LE(view.x, e.left);
    EXPECT_LE(view.y, e.top);
    EXPECT_GE(view.x + view.width, e.right);
    EXPECT_GE(view.y + view.height, e.bottom);

    SetFocus(button);
    EXPECT_TRUE(PumpUntil([&] { return SameRect(ScreenRect(button), magwin_.FocusRect()); }));

    // Focus reported for an invisible window, or for one that is gone by the
    // time the report arrives, gives nothing; a report behind them shows
    // when they have been handled. Reports raised here arrive, like the
    // system's, through the thread's message queue.
    HWND hidden = Window(L"STATIC", WS_POPUP, 500, 40, 200, 100);
    HWND hiddenEdit = Window(L"EDIT", WS_CHILD | WS_VISIBLE, 10, 10, 100, 25, hidden);
    HWND doomed = Window(L"EDIT", WS_CHILD | WS_VISIBLE, 20, 150, 100, 25, frame);
    size_t reports = magwin_.focus.size();
    NotifyWinEvent(EVENT_OBJECT_FOCUS, hiddenEdit, OBJID_CLIENT, CHILDID_SELF);
    NotifyWinEvent(EVENT_OBJECT_FOCUS, doomed, OBJID_CLIENT, CHILDID_SELF);
    DestroyWindow(doomed);
    NotifyWinEvent(EVENT_OBJECT_FOCUS, edit, OBJID_CLIENT, CHILDID_SELF);
    ASSERT_TRUE(PumpUntil([&] { return magwin_.focus.size() > reports; }));
    Pump();
    ASSERT_EQ(reports + 1, magwin_.focus.size());
    EXPECT_TRUE(SameRect(ScreenRect(edit), magwin_.focus.back()));

    // One hook per event.
    ASSERT_EQ(Hook::WinEventTracker::Current()->HookCount(), 3u);
    EXPECT_FALSE(Hook::WinEventTracker::Current()->AddHook(EVENT_OBJECT_FOCUS));
    EXPECT_EQ(Hook::WinEventTracker::Current()->HookCount(), 3u);

    // Notifications still on their way when the tracker goes are dropped.
    NotifyWinEvent(EVENT_OBJECT_FOCUS, button, OBJID_CLIENT, CHILDID_SELF);
    tracker_.reset();
    EXPECT_EQ(nullptr, Hook::WinEventTracker::Current());
    PumpFor(100);
    EXPECT_EQ(reports + 1, magwin_.focus.size());
}

// An accessible object of fixed role and location.
class StandInAccessible : public IAccessible {
public:
    StandInAccessible(VARIANT role, RECT location, HRESULT located)
        : role_(role), location_(location), located_(located) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override { return --references_; }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT, VARIANT* role) override {
        *role = role_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accLocation(LONG* x, LONG* y, LONG* w, LONG* h, VARIANT) override {
        *x = location_.left;
        *y = location_.top;
        *w = location_.right;
        *h = location_.bottom;
        return located_;
    }
    // Nothing else is asked.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT, IDispatch**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT, BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT, BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT, BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT, VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR*, VARIANT, LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT, BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT, BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE accSelect(LONG, VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE accNavigate(LONG, VARIANT, VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE accHitTest(LONG, LONG, VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

    ULONG references_ = 0;

private:
    VARIANT role_;
    RECT location_;  // x, y, width, height
    HRESULT located_;
};

VARIANT Role(VARTYPE type, LONG value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = type;
    v.lVal = value;
    return v;
}

// Serves the notification's child id as an index into its objects.
class StandInLookup : public Hook::AccessibleLookup {
public:
    HRESULT FromEvent(HWND, LONG, LONG child, IAccessible** out, VARIANT* outChild) override {
        if (child < 1 || child > static_cast<LONG>(objects.size())) return E_INVALIDARG;
        *out = &objects[child - 1];
        (*out)->AddRef();
        outChild->vt = VT_I4;
        outChild->lVal = CHILDID_SELF;
        return S_OK;
    }
    std::vector<StandInAccessible> objects;
};

TEST_F(WinEventTrackerTest, ACaretShownAndHiddenSetsAndClearsTheCaretRectangle) {
    StandInLookup lookup;
    lookup.objects = {
        {Role(VT_I4, ROLE_SYSTEM_CARET), {100, 200, 2, 16}, S_OK},     // 1: a caret
        {Role(VT_I4, ROLE_SYSTEM_TEXT), {300, 400, 2, 16}, S_OK},      // 2: not a caret
        {Role(VT_EMPTY, ROLE_SYSTEM_CARET), {300, 400, 2, 16}, S_OK},  // 3: no role at all
        {Role(VT_I4, ROLE_SYSTEM_CARET), {300, 400, 2, 16}, E_FAIL},   // 4: a caret that cannot say where
    };
    Hook::AccessibleLookup* previous = Hook::WinEventTracker::SetLookup(&lookup);
    HWND window = Window(L"STATIC", WS_POPUP | WS_VISIBLE, 40, 40, 100, 100);

    for (LONG child : {2, 3, 4, 1}) NotifyWinEvent(EVENT_OBJECT_SHOW, window, OBJID_CARET, child);
    ASSERT_TRUE(PumpUntil([&] { return !magwin_.caret.empty(); }));
    Pump();
    ASSERT_EQ(1u, magwin_.caret.size());
    EXPECT_TRUE(SameRect({100, 200, 102, 216}, magwin_.CaretRect()));

    for (LONG child : {2, 1}) NotifyWinEvent(EVENT_OBJECT_HIDE, window, OBJID_CARET, child);
    ASSERT_TRUE(PumpUntil([&] { return magwin_.caret.size() > 1; }));
    Pump();
    ASSERT_EQ(2u, magwin_.caret.size());
    EXPECT_TRUE(SameRect({0, 0, 0, 0}, magwin_.CaretRect()));

    for (const StandInAccessible& object : lookup.objects) EXPECT_EQ(0u, object.references_) << "released";
    Hook::WinEventTracker::SetLookup(previous);
}

}  // namespace
