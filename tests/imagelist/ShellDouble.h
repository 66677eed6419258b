// A shell that passes everything to the platform's, but records what would
// be launched instead of launching it, and can be told to fail listings.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "imagelist/ShellFolder.h"

namespace pim::test {

class TFolderDouble : public TShellFolder {
public:
    TFolderDouble(std::unique_ptr<TShellFolder> real, const bool& failEnum, int* parses = nullptr)
        : real_(std::move(real)), failEnum_(failEnum), parses_(parses) {}

    std::unique_ptr<TShellEnum> EnumObjects(TOwnerWindow owner, std::uint32_t flags) override {
        return failEnum_ ? nullptr : real_->EnumObjects(owner, flags);
    }
    std::uint32_t GetAttributesOf(const TIdList& item, std::uint32_t query) override {
        return real_->GetAttributesOf(item, query);
    }
    bool GetDisplayNameOf(const TIdList& item, TNameForm form, std::string& name) override {
        return real_->GetDisplayNameOf(item, form, name);
    }
    int CompareIDs(TShellColumn column, const TIdList& a, const TIdList& b) override {
        return real_->CompareIDs(column, a, b);
    }
    std::unique_ptr<TShellFolder> BindToObject(const TIdList& item) override {
        auto folder = real_->BindToObject(item);
        return folder ? std::make_unique<TFolderDouble>(std::move(folder), failEnum_, parses_) : nullptr;
    }
    bool GetFindData(const TIdList& item, TFindData& data) override { return real_->GetFindData(item, data); }
    bool ParseDisplayName(TOwnerWindow owner, const std::string& name, TIdList& item) override {
        if (parses_) ++*parses_;
        return real_->ParseDisplayName(owner, name, item);
    }
    bool ReadEntries(bool hidden, const std::function<bool(TRecord&)>& each) override {
        return !failEnum_ && real_->ReadEntries(hidden, each);
    }
    bool SetNameOf(TOwnerWindow owner, const TIdList& item, const std::string& name, TIdList& newItem,
                   std::string& reason) override {
        return real_->SetNameOf(owner, item, name, newItem, reason);
    }

private:
    std::unique_ptr<TShellFolder> real_;
    const bool& failEnum_;
    int* parses_;
};

class TShellDouble : public TShell {
public:
    bool failEnum = false;
    int parses = 0;  // names parsed in a folder
    std::vector<std::string> launched;  // paths handed to the default verb

    std::unique_ptr<TShellFolder> Desktop() override {
        return std::make_unique<TFolderDouble>(real_.Desktop(), failEnum, &parses);
    }
    bool ParseDisplayName(TOwnerWindow owner, const std::string& path, TIdList& absolute) override {
        return real_.ParseDisplayName(owner, path, absolute);
    }
    std::string PathFromIdList(const TIdList& absolute) override { return real_.PathFromIdList(absolute); }
    std::string TypeName(const TIdList& absolute) override { return real_.TypeName(absolute); }
    int IconIndex(const TIdList& absolute) override { return real_.IconIndex(absolute); }
    bool Execute(TOwnerWindow, const TIdList& absolute) override {
        launched.push_back(real_.PathFromIdList(absolute));
        return true;
    }
    bool ExecutePath(TOwnerWindow, const std::string& path) override {
        launched.push_back(path);
        return true;
    }
    bool ResolveLink(const std::string& path, std::string& target, bool& targetIsFolder) override {
        return real_.ResolveLink(path, target, targetIsFolder);
    }
    bool ChangeDirectory(const std::string& path) override { return real_.ChangeDirectory(path); }

private:
    TShell& real_ = SystemShell();
};

}  // namespace pim::test
