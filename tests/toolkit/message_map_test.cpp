// Message-map dispatch without any window: the tables alone.
#include <gtest/gtest.h>

#include <vector>

#include "toolkit/afxwin.h"

namespace {

struct Row {
    UINT check;
    UINT button;
};
constexpr Row kRows[] = {{1052, 1053}, {1054, 1057}, {1055, 1069}};

class BaseTarget : public CCmdTarget {
  public:
    std::vector<int> calls;

    void OnBaseOnly() { calls.push_back(-1); }
    void OnShared() { calls.push_back(-2); }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(BaseTarget, CCmdTarget)
ON_BN_CLICKED(7, OnBaseOnly)
ON_BN_CLICKED(8, OnShared)
END_MESSAGE_MAP()

class DerivedTarget : public BaseTarget {
  public:
    void OnShared() { calls.push_back(2); }
    void OnRowCheck(int place) { calls.push_back(100 + place); }
    void OnRowButton(int place) { calls.push_back(200 + place); }
    void OnSelection() { calls.push_back(400); }
    LRESULT OnPrivate(WPARAM wParam, LPARAM lParam) {
        return static_cast<LRESULT>(wParam) * 10 + lParam;
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(DerivedTarget, BaseTarget)
ON_BN_CLICKED(8, OnShared)
ON_CONTROL_COLUMN(BN_CLICKED, kRows, &Row::check, OnRowCheck)
ON_CONTROL_COLUMN(BN_CLICKED, kRows, &Row::button, OnRowButton)
ON_CBN_SELCHANGE(1053, OnSelection)
ON_MESSAGE(WM_USER + 1, OnPrivate)
END_MESSAGE_MAP()

bool Command(CCmdTarget& target, UINT id, UINT code) {
    LRESULT result = 0;
    return target.DispatchMessageMap(WM_COMMAND, MAKEWPARAM(id, code), 0, &result);
}

TEST(MessageMap, TheDerivedEntryWinsAndBaseEntriesStillApply) {
    DerivedTarget target;
    EXPECT_TRUE(Command(target, 8, BN_CLICKED));
    EXPECT_TRUE(Command(target, 7, BN_CLICKED));
    EXPECT_EQ(target.calls, (std::vector<int>{2, -1}));
}

TEST(MessageMap, FamiliesPassThePlaceInTheirTableNotTheId) {
    DerivedTarget target;
    for (UINT id : {1055u, 1052u, 1057u, 1069u, 1053u}) {
        EXPECT_TRUE(Command(target, id, BN_CLICKED)) << id;
    }
    EXPECT_FALSE(Command(target, 1056, BN_CLICKED));
    EXPECT_EQ(target.calls, (std::vector<int>{103, 101, 202, 203, 201}));
}

TEST(MessageMap, TheNotificationCodeMustMatch) {
    DerivedTarget target;
    // 1053 is in a BN_CLICKED family and has its own CBN_SELCHANGE entry.
    EXPECT_TRUE(Command(target, 1053, CBN_SELCHANGE));
    EXPECT_FALSE(Command(target, 1069, CBN_SELCHANGE));
    EXPECT_FALSE(Command(target, 1054, 5));
    EXPECT_EQ(target.calls, (std::vector<int>{400}));
}

TEST(MessageMap, MessageEntriesReturnTheirResult) {
    DerivedTarget target;
    LRESULT result = 0;
    EXPECT_TRUE(target.DispatchMessageMap(WM_USER + 1, 4, 2, &result));
    EXPECT_EQ(result, 42);
    EXPECT_FALSE(target.DispatchMessageMap(WM_USER + 2, 4, 2, &result));
}

}  // namespace
