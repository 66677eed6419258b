// Dragging the list's items out to other programs and dropping files onto
// the list, through the platform's OLE drag-and-drop. Out: a button pressed
// on a row arms the drag, moving with it held starts the loop with the
// shell's data object for the selection; let go over the list itself (left
// button), the selected items move there instead (ImgDragReorder.cpp). In: a
// drop of files goes to the shell's drop target of the row or folder under
// the pointer (folder mode) or adds the files to the list (file mode).
#pragma once

#include <windows.h>
#include <ole2.h>

#include <functional>

#include "base/win32/ComPtr.h"
#include "imagelist/win32/FileDataObject.h"

namespace pim {

class TImgListView;

// Keys and buttons held during a drag, for the drop events; a set.
using TShiftState = unsigned;
enum TShiftBit : unsigned { ssShift = 0x1, ssAlt = 0x2, ssCtrl = 0x4, ssLeft = 0x8, ssRight = 0x10, ssMiddle = 0x20 };
TShiftState ShiftOfKeyState(DWORD keys);

// A drop event: the files, the keys, the screen point; clearing accept
// refuses the drag (or the drop).
using TFileDropTargetEvent = std::function<void(TFileDataObject& files, TShiftState shift, POINT point, bool& accept)>;

enum class TDragOutState { dsIdle, dsLeftArmed, dsRightArmed, dsLeftRunning, dsRightRunning };

class TImgDragDrop {
public:
    explicit TImgDragDrop(TImgListView& view);
    ~TImgDragDrop();
    TImgDragDrop(const TImgDragDrop&) = delete;
    TImgDragDrop& operator=(const TImgDragDrop&) = delete;

    // Registers the view as a drop target while DefaultExec.DropTarget is
    // on and the window lives; revokes otherwise.
    void UpdateRegistration();
    void Revoke();
    bool Registered() const { return registered_; }
    // The view's drop target, as the platform's drag loop calls it.
    IDropTarget* DropTarget() const;

    // Mouse messages before the list view's own handling.
    void MouseMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // The list view saw the pointer move with a button held on a row.
    void BeginDrag(bool right);
    TDragOutState State() const { return state_; }
    // The row highlighted as the drop's target, -1 none.
    int Highlighted() const { return highlighted_; }
    // Where the items dragged over their own list would land: At the row
    // they would go before (Count() at the end), -1 when not over it; the
    // mark shows before or after Row.
    struct TInsertion {
        int At = -1;
        int Row = -1;
        bool After = false;
    };
    const TInsertion& Insertion() const { return insertion_; }

    // The platform's drag loop (DoDragDrop); a test may put its own.
    std::function<HRESULT(IDataObject* data, IDropSource* source, DWORD allowed, DWORD* effect)> RunDragLoop;

private:
    class TTarget;
    friend class TTarget;
    class TSource;
    friend class TSource;

    void StartDrag();
    HRESULT Enter(IDataObject* data, DWORD keys, POINTL point, DWORD* effect);
    HRESULT Over(DWORD keys, POINTL point, DWORD* effect);
    HRESULT Leave();
    HRESULT Drop(DWORD keys, POINTL point, DWORD* effect);
    // The shell's drop target under a client point, and the row it belongs to (-1: the folder).
    TComPtr<IDropTarget> ShellTargetAt(POINT client, int& row);
    void Highlight(int row);
    void AutoScroll(POINT client);
    bool FireEvent(const TFileDropTargetEvent& event, DWORD keys, POINTL point);
    // The drag loop asks whether to go on (answer: the buttons' and Escape's
    // verdict): over the list the insertion mark follows the pointer, and a
    // drop there moves the selection, the loop cancelled so no one else
    // takes the files.
    HRESULT Continue(HRESULT answer);
    // The row pointed at and the half of it, hence the place before or after it.
    TInsertion InsertionAt(POINT client);
    void ShowInsertion(const TInsertion& insertion);

    TImgListView& view_;
    TComPtr<TTarget> target_;
    bool registered_ = false;
    TComPtr<IDataObject> data_;  // the object dragged over, when it offers files
    int highlighted_ = -1;
    TInsertion insertion_;
    TDragOutState state_ = TDragOutState::dsIdle;
};

}  // namespace pim
