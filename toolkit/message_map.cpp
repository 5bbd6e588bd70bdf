#include "toolkit/message_map.h"

#include "toolkit/wnd.h"

namespace toolkit {

const MessageMapEntry* FindMessageEntry(const MessageMap* map, UINT message, WPARAM wParam,
                                        int* position) {
    for (; map != nullptr; map = map->base) {
        for (const MessageMapEntry* entry = map->entries; entry->handler != nullptr; ++entry) {
            if (entry->message != message) continue;
            if (entry->match == nullptr) {
                *position = 0;
                return entry;
            }
            if (entry->code != HIWORD(wParam)) continue;
            const int place = entry->match(LOWORD(wParam));
            if (place > 0) {
                *position = place;
                return entry;
            }
        }
    }
    return nullptr;
}

}  // namespace toolkit

const toolkit::MessageMap* CCmdTarget::GetThisMessageMap() {
    static const toolkit::MessageMapEntry entries[] = {{0, 0, nullptr, nullptr}};
    static const toolkit::MessageMap map{nullptr, entries};
    return &map;
}

const toolkit::MessageMap* CCmdTarget::GetMessageMap() const { return GetThisMessageMap(); }

bool CCmdTarget::DispatchMessageMap(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    int position = 0;
    const toolkit::MessageMapEntry* entry =
        toolkit::FindMessageEntry(GetMessageMap(), message, wParam, &position);
    if (entry == nullptr) return false;
    *result = entry->handler(*this, toolkit::MessageArgs{message, wParam, lParam, position});
    return true;
}
