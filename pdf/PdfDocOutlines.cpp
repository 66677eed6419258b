// Destinations and outline entries (part of the PdfDoc unit).
#include <cmath>
#include <vector>

#include "pdf/PdfDoc.h"

#include "base/CodePage.h"

namespace pim {

// ---- TPdfDestination ---------------------------------------------------------------

TPdfDestination::TPdfDestination(TPdfDoc* doc) : doc_(doc) {
    if (!doc || !doc->HasDoc()) throw EPdfInvalidOperation("TPdfDestination --cannot destination object.");
    page_ = doc->GetCanvas()->GetPage();
}

int TPdfDestination::GetElement(int index) const { return values_[index & 3]; }

void TPdfDestination::SetElement(int index, int value) {
    int& slot = values_[index & 3];
    if (value == slot) return;
    slot = value < 0 ? -1 : value;
}

void TPdfDestination::SetZoom(float x) {
    if (x == zoom_) return;
    if (x < 0) throw EPdfInvalidValue("Zoom property cannot set to under 0.");
    if (x > 10) throw EPdfInvalidValue("Zoom property cannot set to over 10.");
    zoom_ = x;
}

int TPdfDestination::PageHeight() const {
    if (TPdfArray* box = page_->LookupArray("MediaBox")) {
        if (auto* height = dynamic_cast<TPdfNumber*>(box->ItemAt(3))) return height->Value();
        // A page on paper: its top edge, in whole units.
        if (auto* real = dynamic_cast<TPdfReal*>(box->ItemAt(3))) return static_cast<int>(std::ceil(real->Value()));
    }
    return doc_->DefaultPageHeight();
}

std::unique_ptr<TPdfArray> TPdfDestination::GetValue() {
    auto array = std::make_unique<TPdfArray>(doc_->Xref());
    array->Append(page_);
    array->Append(std::make_unique<TPdfName>(PDF_DESTINATION_TYPE_NAMES[type_ & 7]));
    auto coordinate = [&array](int v) {
        if (v < -100)
            array->Append(std::make_unique<TPdfNull>());
        else
            array->Append(std::make_unique<TPdfNumber>(v));
    };
    switch (type_) {
        case dtXYZ:
            coordinate(Left());
            coordinate(Top());
            if (zoom_ < 0) zoom_ = 0;
            array->Append(std::make_unique<TPdfReal>(zoom_));
            break;
        case dtFitH:
        case dtFitBH: coordinate(Top()); break;
        case dtFitV:
        case dtFitBV: coordinate(Left()); break;
        case dtFitR:
            coordinate(Left());
            coordinate(Bottom());
            coordinate(Right());
            coordinate(Top());
            break;
        case dtFit:
        case dtFitB: break;
    }
    return array;
}

// ---- TPdfOutlineEntry --------------------------------------------------------------

TPdfOutlineEntry::TPdfOutlineEntry(TPdfDoc* doc) : doc_(doc) {}

void TPdfOutlineEntry::Register() { SetData(doc_->Xref()->AddObject(std::make_unique<TPdfDictionary>(doc_->Xref()))); }

TPdfOutlineEntry* TPdfOutlineEntry::Create(TPdfOutlineEntry* parent) {
    if (!parent) throw Exception("CreateEntry --invalid parent.");
    std::unique_ptr<TPdfOutlineEntry> entry(new TPdfOutlineEntry(parent->doc_));
    entry->parent_ = parent;
    entry->Register();
    return parent->doc_->AdoptObject(std::move(entry));
}

TPdfOutlineEntry* TPdfOutlineEntry::AddChild() {
    for (TPdfOutlineEntry* e = this; e; e = e->parent_) ++e->count_;
    TPdfOutlineEntry* child = Create(this);
    if (!first_) first_ = child;
    if (last_) last_->next_ = child;
    child->prev_ = last_;
    last_ = child;
    return child;
}

void TPdfOutlineEntry::SetUnicodeTitle(std::u16string title) {
    title_ = Utf16ToAnsi(title);
    unicodeTitle_ = std::move(title);
}

void TPdfOutlineEntry::Save() {
    // Each entry's keys depend only on its own links, so the order of the
    // walk does not matter; an explicit stack keeps a long sibling chain
    // (one entry per page) from needing stack space per entry.
    std::vector<TPdfOutlineEntry*> pending{this};
    while (!pending.empty()) {
        TPdfOutlineEntry* e = pending.back();
        pending.pop_back();
        e->SaveKeys();
        if (e->next_) pending.push_back(e->next_);
        if (e->first_) pending.push_back(e->first_);
    }
}

void TPdfOutlineEntry::SaveKeys() {
    TPdfDictionary* d = Data();
    d->PutNumber("Count", opened_ ? count_ : -count_);
    if (unicodeTitle_.empty())
        d->Put("Title", std::make_unique<TPdfText>(title_));
    else
        d->Put("Title", std::make_unique<TPdfUnicodeText>(unicodeTitle_));
    d->Put("Parent", parent_->Data());
    if (dest_) d->Put("Dest", dest_->GetValue());
    if (first_) d->Put("First", first_->Data());
    if (last_) d->Put("Last", last_->Data());
    if (prev_) d->Put("Prev", prev_->Data());
    if (next_) d->Put("Next", next_->Data());
}

// ---- TPdfOutlineRoot ---------------------------------------------------------------

TPdfOutlineRoot::TPdfOutlineRoot(TPdfDoc* doc) : TPdfOutlineEntry(doc) { opened_ = true; }

TPdfOutlineRoot* TPdfOutlineRoot::Create(TPdfDoc* doc) {
    std::unique_ptr<TPdfOutlineRoot> root(new TPdfOutlineRoot(doc));
    root->Register();
    root->Data()->PutName("Type", "Outlines");
    return doc->AdoptObject(std::move(root));
}

void TPdfOutlineRoot::SaveKeys() {
    TPdfDictionary* d = Data();
    d->PutNumber("Count", count_);
    if (first_) d->Put("First", first_->Data());
    if (last_) d->Put("Last", last_->Data());
}

}  // namespace pim
