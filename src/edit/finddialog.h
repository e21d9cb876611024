// CFindDialog: the Find dialog (template 8601) of the Find command. It searches the view's whole
// text from its search position with wrap-around, selects the match and closes with IDOK; without
// a match it says so, starts the next search at the beginning and stays open. Cancel also takes
// the controls' values first, so the caller keeps what was typed.
#pragma once

#include <cstdint>
#include <string>

#include "buffer/types.h"
#include "platform/dialog.h"

class CTextView;

class CFindDialog : public platform::Dialog {
public:
    explicit CFindDialog(CTextView* view);

    // Find Next (IDOK) enabled exactly while the pattern is not empty.
    bool OnInitDialog() override;
    void OnCommand(int32_t id, uint32_t code) override;
    void OnOK() override;
    void OnCancel() override;
    void DoDataExchange(platform::DataExchange& dx) override;

    // The FindFlags of the fields.
    uint32_t Flags() const;

    // ---- Fields, in order.
    CTextView* view; // not owned
    TextPosition searchPosition;
    int32_t direction = 1; // 0 up, 1 down
    bool matchCase = false;
    std::string pattern;
    bool wholeWord = false;
};
