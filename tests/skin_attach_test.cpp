// Attaching the control families to a skinned window: which children get a
// record, what the records note from the styles, the three properties on
// each control, that the controls keep working through the skin's
// procedures, that nothing is registered twice or while control skinning is
// off, the veil's extras, an edit's clean-up, and the extra layer.
#ifdef _WIN32

#include "tests/skin_test_window.h"

#include <commctrl.h>

#include <cstdint>
#include <string>
#include <vector>

#include "skin/gdi_holders.h"

namespace qelvo::skin {
namespace {

using testing::class_procedure;
using testing::combo_list_of;
using testing::current_procedure;
using testing::prop;
using testing::record_of;

constexpr wchar_t kTestClass[] = L"QelvoSkinAttachTest";
constexpr COLORREF kMarkerColour = 0x123456;

HWND make_window() {
    return testing::make_window(kTestClass, L"skin attach", WS_OVERLAPPEDWINDOW, 0, 0, 640, 720);
}

HWND make_child(HWND parent, const wchar_t* className, DWORD style, int y) {
    return testing::make_child(parent, className, style, 10, y, 200, 60);
}

// The record at the control's index, the three properties, and the skin's
// procedure in front of the class's own.
template <typename Record>
void expect_attached(const std::vector<Record>& records, HWND control, WNDPROC skinProcedure) {
    const Record* record = record_of(records, control);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(prop(control, L"Hw_lbID"), record - records.data() + 1);
    EXPECT_EQ(prop(control, L"Hw_FuID"), 1);
    const auto previous = reinterpret_cast<WNDPROC>(prop(control, L"Hw_hProc"));
    EXPECT_EQ(previous, record->oldProc);
    EXPECT_EQ(previous, class_procedure(control));
    EXPECT_EQ(current_procedure(control), skinProcedure);
}

class SkinAttachTest : public testing::SkinEngineFixture {
  protected:
    void SetUp() override {
        ASSERT_TRUE(testing::register_test_class(kTestClass, DefWindowProcW,
                                                 ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES));
        top = make_window();
        ASSERT_NE(top, nullptr);
        edit = make_child(top, L"Edit", WS_BORDER, 0);
        combo = make_child(top, L"ComboBox", CBS_DROPDOWN, 40);
        listBox = make_child(top, L"ListBox", WS_BORDER, 80);
        listView = make_child(top, WC_LISTVIEWW, LVS_REPORT, 150);
        sortedView = make_child(top, WC_LISTVIEWW, LVS_LIST | LVS_SORTASCENDING, 220);
        trackbar = make_child(top, TRACKBAR_CLASSW, TBS_VERT | TBS_BOTH, 290);
        progress = make_child(top, PROGRESS_CLASSW, PBS_VERTICAL, 360);
        updown = make_child(top, UPDOWN_CLASSW, UDS_HORZ, 430);
        tree = make_child(top, WC_TREEVIEWW, 0, 470);
        for (HWND child :
             {edit, combo, listBox, listView, sortedView, trackbar, progress, updown, tree}) {
            ASSERT_NE(child, nullptr);
        }
        comboEdit = FindWindowExW(combo, nullptr, L"Edit", nullptr);
        ASSERT_NE(comboEdit, nullptr);
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"alpha"));
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"beta"));
        SendMessageW(combo, CB_SETCURSEL, 1, 0);
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.cx = 120;
        column.pszText = const_cast<wchar_t*>(L"Name");
        SendMessageW(listView, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.pszText = const_cast<wchar_t*>(L"first");
        SendMessageW(listView, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }
    void TearDown() override {
        if (top) DestroyWindow(top);
    }

    // The test window's record; an empty one (and a failure) when the
    // window was not skinned, so that the checks that follow fail cleanly.
    const SkinWindow& skin() {
        engine.skinWindow(top, WindowSkinOptions{});
        EXPECT_EQ(engine.findSkinWindow(top), 1);
        const SkinWindow* record = engine.window(1);
        return record ? *record : notSkinned;
    }

    const SkinWindow notSkinned;
    HWND top = nullptr, edit = nullptr, combo = nullptr, comboEdit = nullptr;
    HWND listBox = nullptr, listView = nullptr, sortedView = nullptr, trackbar = nullptr;
    HWND progress = nullptr, updown = nullptr, tree = nullptr;
};

TEST_F(SkinAttachTest, TakesEachSupportedChildWithTheSkinProcedure) {
    const SkinWindow& skinned = skin();
    EXPECT_EQ(skinned.editSkins.size(), 1u);
    expect_attached(skinned.editSkins, edit, editSkinProc);
    expect_attached(skinned.comboSkins, combo, comboSkinProc);
    EXPECT_EQ(skinned.listSkins.size(), 3u);
    expect_attached(skinned.listSkins, listBox, listSkinProc);
    expect_attached(skinned.listSkins, listView, listSkinProc);
    expect_attached(skinned.listSkins, tree, listSkinProc);
    expect_attached(skinned.trackbarSkins, trackbar, trackbarSkinProc);
    expect_attached(skinned.progressSkins, progress, progressSkinProc);
    expect_attached(skinned.updownSkins, updown, updownSkinProc);
    HWND header = FindWindowExW(listView, nullptr, WC_HEADERW, nullptr);
    ASSERT_NE(header, nullptr);
    expect_attached(skinned.headerSkins, header, headerSkinProc);
    // Sorted list views, the list of a drop-down combo box and, without the
    // veil, the edit inside a combo box keep the system's look.
    EXPECT_EQ(record_of(skinned.listSkins, sortedView), nullptr);
    EXPECT_EQ(prop(sortedView, L"Hw_lbID"), 0);
    EXPECT_EQ(record_of(skinned.editSkins, comboEdit), nullptr);
    EXPECT_EQ(current_procedure(comboEdit), class_procedure(comboEdit));
    HWND dropdownList = combo_list_of(combo);
    ASSERT_NE(dropdownList, nullptr);
    EXPECT_EQ(record_of(skinned.listSkins, dropdownList), nullptr);
}

TEST_F(SkinAttachTest, RecordsNoteTheStylesAndTheSelection) {
    SetPropW(edit, L"Kj_Ztys", reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(kMarkerColour)));
    const SkinWindow& skinned = skin();
    const TrackbarSkin& track = skinned.trackbarSkins.at(0);
    EXPECT_EQ(track.vertical, 1);
    EXPECT_EQ(track.tickSide, 2);
    EXPECT_EQ(track.selectionRange, 0);
    EXPECT_EQ(skinned.progressSkins.at(0).vertical, 1);
    EXPECT_EQ(skinned.updownSkins.at(0).horizontal, 1);
    HWND header = FindWindowExW(listView, nullptr, WC_HEADERW, nullptr);
    const HeaderSkin* headerRecord = record_of(skinned.headerSkins, header);
    ASSERT_NE(headerRecord, nullptr);
    const bool buttons = (GetWindowLongPtrW(header, GWL_STYLE) & HDS_BUTTONS) != 0;
    EXPECT_EQ(headerRecord->buttons, buttons ? 1 : 0);
    EXPECT_EQ(headerRecord->imageList,
              reinterpret_cast<HIMAGELIST>(SendMessageW(header, HDM_GETIMAGELIST, 0, 0)));
    EXPECT_EQ(prop(edit, L"Kj_Ztys"), 0);
    wchar_t text[32]{};
    GetWindowTextW(combo, text, 32);
    EXPECT_EQ(std::wstring(text), L"beta");  // the selected item
}

TEST_F(SkinAttachTest, TickSideIsTestedNoTicksThenTopThenBoth) {
    HWND noTicks = make_child(top, TRACKBAR_CLASSW, TBS_NOTICKS | TBS_TOP | TBS_BOTH, 530);
    HWND topAndBoth = make_child(top, TRACKBAR_CLASSW, TBS_TOP | TBS_BOTH, 560);
    HWND selection = make_child(top, TRACKBAR_CLASSW, TBS_ENABLESELRANGE, 590);
    const SkinWindow& skinned = skin();
    EXPECT_EQ(skinned.trackbarSkins.size(), 4u);
    const TrackbarSkin* none = record_of(skinned.trackbarSkins, noTicks);
    const TrackbarSkin* onTop = record_of(skinned.trackbarSkins, topAndBoth);
    const TrackbarSkin* plain = record_of(skinned.trackbarSkins, selection);
    ASSERT_TRUE(none && onTop && plain);
    EXPECT_EQ(none->tickSide, 3);
    EXPECT_EQ(onTop->tickSide, 0);
    EXPECT_EQ(plain->tickSide, 1);
    EXPECT_EQ(plain->selectionRange, 1);
}

TEST_F(SkinAttachTest, OnlyTheListOfASimpleComboIsTaken) {
    HWND simple = make_child(top, L"ComboBox", CBS_SIMPLE, 530);
    HWND simpleList = combo_list_of(simple);
    ASSERT_NE(simpleList, nullptr);
    const SkinWindow& skinned = skin();
    expect_attached(skinned.listSkins, simpleList, listSkinProc);
    EXPECT_EQ(record_of(skinned.listSkins, combo_list_of(combo)), nullptr);
    EXPECT_EQ(skinned.comboSkins.size(), 2u);
}

TEST_F(SkinAttachTest, ControlsKeepWorkingThroughTheSkin) {
    skin();
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"typed"));
    wchar_t text[32]{};
    SendMessageW(edit, WM_GETTEXT, 32, reinterpret_cast<LPARAM>(text));
    EXPECT_EQ(std::wstring(text), L"typed");
    EXPECT_EQ(SendMessageW(listView, LVM_GETITEMCOUNT, 0, 0), 1);
    SendMessageW(progress, PBM_SETPOS, 40, 0);
    EXPECT_EQ(SendMessageW(progress, PBM_GETPOS, 0, 0), 40);
    SendMessageW(trackbar, TBM_SETPOS, TRUE, 7);
    EXPECT_EQ(SendMessageW(trackbar, TBM_GETPOS, 0, 0), 7);
    SendMessageW(updown, UDM_SETRANGE32, 0, 100);
    SendMessageW(updown, UDM_SETPOS32, 0, 42);
    EXPECT_EQ(SendMessageW(updown, UDM_GETPOS32, 0, 0), 42);
    SendMessageW(listBox, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"row"));
    EXPECT_EQ(SendMessageW(listBox, LB_GETCOUNT, 0, 0), 1);
}

TEST_F(SkinAttachTest, SkinningAgainRegistersNothingTwice) {
    const SkinWindow& skinned = skin();
    const auto sizes = [&] {
        return std::vector<std::size_t>{skinned.editSkins.size(),     skinned.comboSkins.size(),
                                        skinned.listSkins.size(),     skinned.trackbarSkins.size(),
                                        skinned.progressSkins.size(), skinned.updownSkins.size(),
                                        skinned.headerSkins.size()};
    };
    const std::vector<std::size_t> first = sizes();
    engine.skinWindow(top, WindowSkinOptions{});
    engine.skinChildren(1, top);
    EXPECT_EQ(sizes(), first);
    EXPECT_EQ(engine.windowCount(), 1u);
    // A second subclass would have put the skin's procedure into "Hw_hProc".
    EXPECT_EQ(reinterpret_cast<WNDPROC>(prop(edit, L"Hw_hProc")), class_procedure(edit));
    EXPECT_EQ(reinterpret_cast<WNDPROC>(prop(tree, L"Hw_hProc")), class_procedure(tree));
}

TEST_F(SkinAttachTest, SwitchedOffSkinningRegistersNoControl) {
    engine.setOptions(0);
    const SkinWindow& skinned = skin();
    EXPECT_TRUE(skinned.editSkins.empty() && skinned.comboSkins.empty() &&
                skinned.listSkins.empty() && skinned.trackbarSkins.empty() &&
                skinned.progressSkins.empty() && skinned.updownSkins.empty() &&
                skinned.headerSkins.empty());
    for (HWND child : {edit, combo, listBox, listView, trackbar, progress, updown, tree}) {
        EXPECT_EQ(prop(child, L"Hw_lbID"), 0);
        EXPECT_EQ(current_procedure(child), class_procedure(child));
    }
}

TEST_F(SkinAttachTest, VeilTakesTheComboEditAndClearsListBackgrounds) {
    engine.setOptions(1, 0);
    ASSERT_EQ(engine.settings.veilFlag, 1);
    SetPropW(comboEdit, L"Kj_Ztys",
             reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(kMarkerColour)));
    const SkinWindow& skinned = skin();
    EXPECT_EQ(skinned.editSkins.size(), 2u);
    expect_attached(skinned.editSkins, comboEdit, editSkinProc);
    EXPECT_EQ(prop(comboEdit, L"Kj_Ztys"), 0);
    EXPECT_EQ(static_cast<COLORREF>(SendMessageW(listView, LVM_GETTEXTBKCOLOR, 0, 0)), CLR_NONE);
    EXPECT_EQ(static_cast<COLORREF>(SendMessageW(tree, TVM_GETBKCOLOR, 0, 0)), RGB(255, 0, 255));
}

TEST_F(SkinAttachTest, DestroyedEditFreesItsVeilBrushAndBitmap) {
    skin();
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = gdi_count::track(CreateCompatibleBitmap(screen, 8, 8));
    ReleaseDC(nullptr, screen);
    HBRUSH brush = gdi_count::track(CreatePatternBrush(bitmap));
    ASSERT_TRUE(bitmap && brush);
    SetPropW(edit, L"Kj_wtjb", bitmap);
    SetPropW(edit, L"Kj_dxjb", brush);
    const long before = gdi_count::live();
    DestroyWindow(edit);
    EXPECT_EQ(gdi_count::live(), before - 2);
    EXPECT_EQ(GetObjectType(brush), 0u);
    EXPECT_EQ(GetObjectType(bitmap), 0u);
}

TEST_F(SkinAttachTest, ExtraTextColourOfAComboGoesToItsEdit) {
    HWND dropdownList = make_child(top, L"ComboBox", CBS_DROPDOWNLIST, 530);
    engine.setExtraTextColour(combo, kMarkerColour);
    EXPECT_EQ(prop(comboEdit, L"Kj_Ztys"), static_cast<std::intptr_t>(kMarkerColour));
    EXPECT_EQ(prop(combo, L"Kj_Ztys"), 0);
    engine.setExtraTextColour(dropdownList, kMarkerColour);
    EXPECT_EQ(prop(dropdownList, L"Kj_Ztys"), 0);
    engine.setExtraTextColour(edit, RGB(0, 128, 0));
    EXPECT_EQ(prop(edit, L"Kj_Ztys"), static_cast<std::intptr_t>(RGB(0, 128, 0)));
}

TEST_F(SkinAttachTest, ExtraLayerSubclassesOnceUnderTheSkinnedWindow) {
    const SkinWindow& skinned = skin();
    engine.addExtraControl(trackbar);
    engine.addExtraControl(trackbar);
    engine.addExtraControl(progress, RGB(1, 2, 3));
    ASSERT_EQ(skinned.extraSkins.size(), 2u);
    EXPECT_EQ(skinned.extraSkins[0].fillColour, GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(skinned.extraSkins[1].fillColour, RGB(1, 2, 3));
    EXPECT_EQ(prop(trackbar, L"Kj_lbID"), 1);
    EXPECT_EQ(prop(progress, L"Kj_lbID"), 2);
    EXPECT_EQ(prop(trackbar, L"Kj_FuID"), 1);
    // The family's procedure stays behind the extra one.
    EXPECT_EQ(reinterpret_cast<WNDPROC>(prop(trackbar, L"Kj_hProc")), trackbarSkinProc);
    EXPECT_EQ(skinned.extraSkins[0].oldProc, trackbarSkinProc);
    EXPECT_EQ(current_procedure(trackbar), extraProc);
    SendMessageW(trackbar, TBM_SETPOS, TRUE, 5);
    EXPECT_EQ(SendMessageW(trackbar, TBM_GETPOS, 0, 0), 5);

    HWND unskinned = make_window();
    HWND stray = make_child(unskinned, L"Edit", 0, 0);
    engine.addExtraControl(stray);
    EXPECT_EQ(prop(stray, L"Kj_hProc"), 0);
    EXPECT_EQ(current_procedure(stray), class_procedure(stray));
    DestroyWindow(unskinned);
}

}  // namespace
}  // namespace qelvo::skin

#endif  // _WIN32
