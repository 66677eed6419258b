// A drop target for files and folders from the shell: a hook on a window that
// registers it with the shell and turns WM_DROPFILES into OnFileDrop, with
// every dropped path in the shell's order and the drop point in the window's
// client coordinates.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <windows.h>
#include <shellapi.h>

#include "shellutil/CtlHook.h"

namespace pim {

class TDropDst : public TControlHook {
public:
    explicit TDropDst(ui::TForm& owner) : TControlHook(owner) {}

    bool AcceptDrop() const { return acceptDrop_; }
    void SetAcceptDrop(bool accept);

    // Paths in the platform's file-name encoding.
    std::function<void(const std::vector<std::string>& files, int x, int y)> OnFileDrop;

protected:
    void HandleChanged(ui::THandleChange why) override;
    bool HookedMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void Hooked() override { Register(); }

private:
    void Register();
    void Drop(HDROP drop);
    bool acceptDrop_ = true;
};

}  // namespace pim
