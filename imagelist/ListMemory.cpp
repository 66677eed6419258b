#include "imagelist/ListMemory.h"

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_set>

namespace pim {

namespace {

// A path has no NUL character: a blank item's place in the order is kept
// under a NUL and its key.
std::string BlankKeyOf(int key) {
    std::string entry(1, '\0');
    entry += std::to_string(key);
    return entry;
}
bool IsBlankKey(std::string_view entry) { return !entry.empty() && entry.front() == '\0'; }
int KeyOfBlank(std::string_view entry) { return std::stoi(std::string(entry.substr(1))); }

}  // namespace

void TListMemory::Remember(TImgListItems& items) {
    std::vector<std::string> listed;
    listed.reserve(static_cast<std::size_t>(items.Count()));
    for (int i = 0; i < items.Count(); ++i) {
        TImgListItem& item = *items[i];
        if (item.IsBlank()) {
            listed.push_back(BlankKeyOf(item.BlankKey()));
            continue;
        }
        const std::string& path = item.FullPath();
        if (path.empty()) continue;
        listed.push_back(path);
        if (item.Turn != 0)
            turns_[path] = item.Turn;
        else
            turns_.erase(path);
    }
    // The keys view the listed paths, which stay put while order_ is taken apart.
    const std::unordered_set<std::string_view> shown(listed.begin(), listed.end());
    std::unordered_map<std::string_view, std::vector<std::string>> after;
    std::vector<std::string> front;
    std::string_view anchor;
    for (std::string& path : order_) {
        if (const auto found = shown.find(path); found != shown.end()) {
            anchor = *found;
            continue;
        }
        if (IsBlankKey(path)) continue;  // removed from the list
        (anchor.empty() ? front : after[anchor]).push_back(std::move(path));
    }
    std::vector<std::string> order = std::move(front);
    order.reserve(order.size() + order_.size());
    for (std::string& path : listed) {
        const auto hidden = after.find(path);
        order.push_back(std::move(path));
        if (hidden == after.end()) continue;
        for (std::string& file : hidden->second) order.push_back(std::move(file));
    }
    order_ = std::move(order);
}

void TListMemory::Restore(TImgListItems& items) {
    if (!turns_.empty())
        for (int i = 0; i < items.Count(); ++i)
            if (const auto turn = turns_.find(items[i]->FullPath()); turn != turns_.end())
                items[i]->Turn = turn->second;
    if (order_.empty()) return;
    std::unordered_map<std::string_view, std::size_t> rank;
    rank.reserve(order_.size());
    for (std::size_t i = 0; i < order_.size(); ++i) rank.emplace(order_[i], i);
    struct TRanked {
        std::size_t Rank;
        TShellItem* Item;
    };
    std::vector<TRanked> known;
    std::vector<std::unique_ptr<TShellItem>> blanks;
    for (std::size_t i = 0; i < order_.size(); ++i)
        if (IsBlankKey(order_[i])) {
            blanks.push_back(TImgListItem::Blank(items, KeyOfBlank(order_[i])));
            known.push_back({i, blanks.back().get()});
        }
    std::unordered_map<TShellItem*, std::vector<TShellItem*>> after;  // remembered item -> new ones behind it
    std::vector<TShellItem*> first;  // new ones before every remembered item in sort order
    TShellItem* lowest = nullptr;    // the remembered item first in sort order
    TShellItem* last = nullptr;
    for (int i = 0; i < items.Count(); ++i) {
        TShellItem* item = items[i];
        if (const auto found = rank.find(item->FullPath()); found != rank.end()) {
            known.push_back({found->second, item});
            if (!lowest) lowest = item;
            last = item;
        } else {
            (last ? after[last] : first).push_back(item);
        }
    }
    if (known.empty()) return;  // every file is new: the sorted order stands
    std::sort(known.begin(), known.end(), [](const TRanked& a, const TRanked& b) { return a.Rank < b.Rank; });
    std::vector<TShellItem*> order;
    order.reserve(static_cast<std::size_t>(items.Count()) + blanks.size());
    if (!lowest) order = first;
    for (const TRanked& entry : known) {
        if (entry.Item == lowest) order.insert(order.end(), first.begin(), first.end());
        order.push_back(entry.Item);
        if (const auto group = after.find(entry.Item); group != after.end())
            order.insert(order.end(), group->second.begin(), group->second.end());
    }
    items.Reassign(order, std::move(blanks));
}

void TListMemory::ForgetFiles(const std::vector<std::string>& paths) {
    if (paths.empty()) return;
    for (const std::string& path : paths) turns_.erase(path);
    const std::unordered_set<std::string_view> gone(paths.begin(), paths.end());
    std::erase_if(order_, [&](const std::string& path) { return gone.count(path) != 0; });
}

}  // namespace pim
