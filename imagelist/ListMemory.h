// What the user made of a folder's list that listing the folder again must
// not undo: the order of its files, those a filter hides for now included,
// the blank items put among them, and the turns given to the files. Kept by
// path (a blank item by its key) while the folder is open; the model forgets
// it when another folder is entered.
//
//   memory.Remember(items);  // before the list is emptied for a new filter
//   ...                      // the new listing lands, sorted
//   memory.Restore(items);   // the remembered order and turns come back
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "imagelist/ImgUtils.h"

namespace pim {

class TListMemory {
public:
    // Takes the list as it stands: its order, and the turns of its items. A
    // file remembered but not listed now keeps its place right after the
    // item it followed (the run of hidden files moves with the listed item
    // before it; before the first listed one when none is). A blank item
    // not in the list now was removed: it is forgotten.
    void Remember(TImgListItems& items);
    // Puts a listing, sorted, into the remembered order and gives its items
    // their remembered turns, and makes the remembered blank items again in
    // their places. A file never listed before goes right after the
    // remembered file just before it in sort order (before the first
    // remembered one in sort order, or first when none is): on a sorted
    // list, its sorted place.
    void Restore(TImgListItems& items);
    // A sort orders every file anew: the order (and with it the blank
    // items) goes, the turns stay.
    void ForgetOrder() { order_.clear(); }
    // Files gone from the folder.
    void ForgetFiles(const std::vector<std::string>& paths);
    // Another folder.
    void Forget() {
        order_.clear();
        turns_.clear();
    }

private:
    // The paths, and for a blank item a key no path can be (see BlankKeyOf).
    std::vector<std::string> order_;
    std::unordered_map<std::string, int> turns_;
};

}  // namespace pim
