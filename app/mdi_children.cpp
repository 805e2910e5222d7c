#include "mdi_children.h"

#include "kel_messages.h"
#include "ui_waits.h"
#include "window_kind.h"

#include <algorithm>
#include <cstring>

namespace kelapp {

int childKind(HWND child)
{
    HGLOBAL record = reinterpret_cast<HGLOBAL>(GetWindowLongPtrA(child, kRecordHandleLong));
    if (!record || GlobalSize(record) < sizeof(int16_t))
        return -1;
    const void* p = GlobalLock(record);
    if (!p)
        return -1;
    int16_t kind;
    memcpy(&kind, p, sizeof kind);
    GlobalUnlock(record);
    return kind;
}

std::vector<HWND> unownedChildren(HWND client)
{
    std::vector<HWND> children;
    if (!client)
        return children;
    for (HWND c = GetWindow(client, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (!GetWindow(c, GW_OWNER))
            children.push_back(c);
    return children;
}

HWND activeChild(HWND client)
{
    return client ? reinterpret_cast<HWND>(SendMessageA(client, WM_MDIGETACTIVE, 0, 0)) : nullptr;
}

LRESULT askChild(HWND child, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT ifNoAnswer)
{
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(child, msg, wParam, lParam, SMTO_ABORTIFHUNG, kChildAnswerMs, &answer))
        return ifNoAnswer;
    return LRESULT(answer);
}

LRESULT queryCloseChildren(HWND client)
{
    const std::vector<HWND> children = unownedChildren(client);
    for (size_t i = 0; i < children.size(); ++i) {
        if (askChild(children[i], WMU_QUERYCLOSE, 1, 0))
            continue;
        for (size_t j = 0; j < i; ++j)
            askChild(children[j], WM_ENDSESSION, FALSE, 0);
        return 0;
    }
    return 1;
}

bool destroyChild(HWND client, HWND child, bool host16)
{
    SendMessageA(client, WM_MDIDESTROY, reinterpret_cast<WPARAM>(child), 0);
    if (IsWindow(child) && !host16)
        askChild(child, WM_ENDSESSION, TRUE, 0);
    return waitUntilGone(child, kChildGoneMs);
}

void destroyAllChildren(HWND client, bool host16)
{
    for (HWND child : unownedChildren(client))
        destroyChild(client, child, host16);
}

void closeAllChildren(HWND client, bool host16)
{
    ShowWindow(client, SW_HIDE);
    // A child that stays (its thread does not destroy it) is passed over, so the loop ends.
    std::vector<HWND> stayed;
    for (;;) {
        HWND next = nullptr;
        for (HWND c : unownedChildren(client))
            if (std::find(stayed.begin(), stayed.end(), c) == stayed.end()) {
                next = c;
                break;
            }
        if (!next || !askChild(next, WMU_QUERYCLOSE, 1, 0))
            break;
        if (!destroyChild(client, next, host16))
            stayed.push_back(next);
    }
    ShowWindow(client, SW_SHOW);
}

void forwardToChildren(HWND client, UINT msg, WPARAM wParam, LPARAM lParam)
{
    std::vector<HWND> children;
    for (HWND c = client ? GetWindow(client, GW_CHILD) : nullptr; c; c = GetWindow(c, GW_HWNDNEXT))
        children.push_back(c);
    for (HWND c : children)
        if (IsWindow(c))
            askChild(c, msg, wParam, lParam);
}

HWND firstChildOfKind(HWND client, int kind)
{
    for (HWND c : unownedChildren(client))
        if (childKind(c) == kind)
            return c;
    return nullptr;
}

void autoCloseChildren(HWND client, HWND keep)
{
    for (HWND c : unownedChildren(client))
        if (c != keep && GetParent(c) == client && childKind(c) != KIND_THUMBVIEW)
            PostMessageA(c, WM_CLOSE, 0, 0);
}

} // namespace kelapp
