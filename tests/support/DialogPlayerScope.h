#pragma once

#include "common/widgets/DialogSTemplate.h"

// Plays the user's part in every dialog shown while it lives (see SetDialogPlayer).
class DialogPlayerScope {
public:
    explicit DialogPlayerScope(DialogPlayer player) { SetDialogPlayer(std::move(player)); }
    ~DialogPlayerScope() { SetDialogPlayer({}); }
    DialogPlayerScope(const DialogPlayerScope &) = delete;
    DialogPlayerScope &operator=(const DialogPlayerScope &) = delete;
};
