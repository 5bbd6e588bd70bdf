// Message maps: a static table per class from a message, or a control notification and id, to a
// member handler. The layer walks the tables from the most derived class to its bases.
#pragma once

#include <cstddef>

#include "toolkit/win_defs.h"

class CCmdTarget;

namespace toolkit {

struct MessageArgs {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    int position;  // for a family entry: the 1-based place of the id in its table
};

// Returns a positive value when the control id belongs to the entry (for a family: its place).
using IdMatcher = int (*)(UINT id);
using MessageHandler = LRESULT (*)(CCmdTarget& target, const MessageArgs& args);

struct MessageMapEntry {
    UINT message;
    UINT code;        // notification code of a WM_COMMAND entry
    IdMatcher match;  // null: every id (non-command messages)
    MessageHandler handler;
};

struct MessageMap {
    const MessageMap* base;
    const MessageMapEntry* entries;  // ends with an entry whose handler is null
};

// Finds the handler for a message in a class's map and its bases' maps.
const MessageMapEntry* FindMessageEntry(const MessageMap* map, UINT message, WPARAM wParam,
                                        int* position);

template <class>
struct MemberClass;
template <class C, class F>
struct MemberClass<F C::*> {
    using type = C;
};
template <auto Fn>
using OwnerOf = typename MemberClass<decltype(Fn)>::type;

template <auto Fn>
OwnerOf<Fn>& Target(CCmdTarget& target) {
    return static_cast<OwnerOf<Fn>&>(target);
}

template <UINT Id>
int MatchId(UINT id) {
    return id == Id ? 1 : 0;
}

// A family: the controls whose ids one column of a table of rows holds, one handler taking the
// place.
template <const auto& Rows, auto Column>
int MatchColumn(UINT id) {
    int place = 0;
    for (const auto& row : Rows) {
        ++place;
        if (static_cast<UINT>(row.*Column) == id) return place;
    }
    return 0;
}

template <auto Fn>
LRESULT CallPlain(CCmdTarget& target, const MessageArgs&) {
    (Target<Fn>(target).*Fn)();
    return 0;
}

template <auto Fn>
LRESULT CallWithPosition(CCmdTarget& target, const MessageArgs& args) {
    (Target<Fn>(target).*Fn)(args.position);
    return 0;
}

template <auto Fn>
LRESULT CallSysCommand(CCmdTarget& target, const MessageArgs& args) {
    (Target<Fn>(target).*Fn)(static_cast<UINT>(args.wParam), args.lParam);
    return 0;
}

template <auto Fn>
LRESULT CallReturningHandle(CCmdTarget& target, const MessageArgs&) {
    return reinterpret_cast<LRESULT>((Target<Fn>(target).*Fn)());
}

template <auto Fn>
LRESULT CallMessage(CCmdTarget& target, const MessageArgs& args) {
    return (Target<Fn>(target).*Fn)(args.wParam, args.lParam);
}

}  // namespace toolkit

#define DECLARE_MESSAGE_MAP()                                  \
  protected:                                                   \
    static const toolkit::MessageMap* GetThisMessageMap();     \
    const toolkit::MessageMap* GetMessageMap() const override; \
                                                               \
  private:

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                 \
    const toolkit::MessageMap* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
    const toolkit::MessageMap* theClass::GetThisMessageMap() {                                 \
        using ThisClass [[maybe_unused]] = theClass;                                           \
        using TheBaseClass = baseClass;                                                        \
        static const toolkit::MessageMapEntry entries[] = {
#define END_MESSAGE_MAP()                                                             \
    { 0, 0, nullptr, nullptr }                                                        \
    }                                                                                 \
    ;                                                                                 \
    static const toolkit::MessageMap map{TheBaseClass::GetThisMessageMap(), entries}; \
    return &map;                                                                      \
    }

#define ON_COMMAND(id, memberFxn) \
    {WM_COMMAND, 0, &toolkit::MatchId<(id)>, &toolkit::CallPlain<&ThisClass::memberFxn>},
#define ON_CONTROL(code, id, memberFxn) \
    {WM_COMMAND, (code), &toolkit::MatchId<(id)>, &toolkit::CallPlain<&ThisClass::memberFxn>},
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_CBN_SELCHANGE(id, memberFxn) ON_CONTROL(CBN_SELCHANGE, id, memberFxn)
// memberFxn(int place) for the controls whose ids one column (a member pointer) of a static table
// of rows holds: place 1 for its first row.
#define ON_CONTROL_COLUMN(code, rowTable, column, memberFxn)      \
    {WM_COMMAND, (code), &toolkit::MatchColumn<rowTable, column>, \
     &toolkit::CallWithPosition<&ThisClass::memberFxn>},
#define ON_MESSAGE(message, memberFxn) \
    {(message), 0, nullptr, &toolkit::CallMessage<&ThisClass::memberFxn>},
#define ON_WM_SYSCOMMAND() \
    {WM_SYSCOMMAND, 0, nullptr, &toolkit::CallSysCommand<&ThisClass::OnSysCommand>},
#define ON_WM_PAINT() {WM_PAINT, 0, nullptr, &toolkit::CallPlain<&ThisClass::OnPaint>},
#define ON_WM_QUERYDRAGICON() \
    {WM_QUERYDRAGICON, 0, nullptr, &toolkit::CallReturningHandle<&ThisClass::OnQueryDragIcon>},
