// An engine window that writes down every message it gets, for the platform tests.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/wnd.h"

namespace platform::test {

class RecordingWnd : public Wnd {
public:
    std::vector<std::string> log;
    std::vector<uint32_t> commands;
    std::vector<uint32_t> chars;
    std::vector<uint32_t> keys;
    std::vector<std::pair<uint32_t, int32_t>> vscrolls;
    std::vector<std::pair<uint32_t, int32_t>> hscrolls;
    std::vector<uint32_t> timers;
    Wnd* lastOldFocus = nullptr;
    Wnd* lastNewFocus = nullptr;
    const AccelTable* accelerators = nullptr;
    CodePage inputPage = CodePage::Windows1252;
    bool refuseCreate = false;
    std::function<void(Surface&)> draw;
    std::function<void(int32_t, int32_t)> size;
    std::function<bool()> setCursor;
    std::function<void(uint32_t, int32_t)> vscroll;
    int16_t shiftDuringCommand = 0;
    int32_t initialUpdates = 0;
    int32_t sysColorChanges = 0;
    int32_t* destroyed = nullptr;

    bool OnCreate() override {
        log.push_back("create");
        return !refuseCreate;
    }
    void OnInitialUpdate() override { ++initialUpdates; }
    void OnDestroy() override {
        log.push_back("destroy");
        if (destroyed)
            ++*destroyed;
    }
    void OnDraw(Surface& dc) override {
        if (draw)
            draw(dc);
    }
    void OnSize(int32_t cx, int32_t cy) override {
        log.push_back("size " + std::to_string(cx) + "x" + std::to_string(cy));
        if (size)
            size(cx, cy);
    }
    void OnSetFocus(Wnd* old) override {
        log.push_back("setfocus");
        lastOldFocus = old;
    }
    void OnKillFocus(Wnd* next) override {
        log.push_back("killfocus");
        lastNewFocus = next;
    }
    void OnChar(uint32_t ch, uint32_t) override { chars.push_back(ch); }
    void OnKeyDown(uint32_t vk, uint32_t) override { keys.push_back(vk); }
    void OnVScroll(uint32_t code, int32_t pos) override {
        vscrolls.emplace_back(code, pos);
        if (vscroll)
            vscroll(code, pos);
    }
    void OnHScroll(uint32_t code, int32_t pos) override { hscrolls.emplace_back(code, pos); }
    void OnTimer(uint32_t id) override { timers.push_back(id); }
    void OnSysColorChange() override { ++sysColorChanges; }
    bool OnSetCursor(uint32_t hitTest) override {
        return hitTest == HTCLIENT && setCursor && setCursor();
    }
    bool OnCommand(uint32_t id) override {
        commands.push_back(id);
        shiftDuringCommand = GetKeyState(VK_SHIFT);
        return true;
    }
    const AccelTable* GetAcceleratorTable() const override { return accelerators; }
    CodePage GetInputCodePage() const override { return inputPage; }
};

} // namespace platform::test
