// A text longer or wider than its item: its lines wrapped at the item's
// width, by the Japanese rules for where a line may break, and set on as
// many pages as they need. Measured with the item's own font, so a wrapped
// line is exactly as long as the item shows in full.
#include <algorithm>

#include "base/CodePage.h"
#include "base/LineBreak.h"
#include "report/PReport.h"

namespace pim {

std::vector<TStringList> TPRText::Pages() const {
    // The lines as the item prints them: the text trimmed as one block.
    std::string whole;
    for (int i = 0; i < lines_.Count(); ++i) {
        if (i > 0) whole += "\r\n";
        whole += lines_[i];
    }
    TStringList trimmed;
    trimmed.SetText(TrimText(whole));

    TPdfDoc measure;
    TPdfCanvas& canvas = *measure.CreateMeasuringCanvas();
    canvas.SelectFont(PdfFontName(FontName(), FontBold(), FontItalic()), FontSize());
    canvas.SetCharSpace(CharSpace());
    canvas.SetWordSpace(WordSpace());
    const auto width = static_cast<float>(Width());

    std::vector<std::string> shown;
    bool wrapped = false;
    for (int i = 0; i < trimmed.Count(); ++i) {
        std::string_view rest = trimmed[i];
        for (;;) {
            auto fit = static_cast<std::size_t>(std::max(canvas.CharsThatFit(rest, width), 0));
            if (fit >= rest.size()) break;
            fit = LineBreakBefore(rest, fit);
            shown.emplace_back(rest.substr(0, fit));
            rest.remove_prefix(fit);
            wrapped = true;
        }
        shown.emplace_back(rest);
    }

    // As many lines as the canvas sets before the next would pass the bottom.
    const float fontSize = FontSize();
    int perPage = 1;
    if (leading_ <= 0)
        perPage = std::max(1, static_cast<int>(shown.size()));
    else
        for (double lineTop = Height() - leading_; fontSize <= lineTop; lineTop -= leading_) ++perPage;
    if (!wrapped && static_cast<int>(shown.size()) <= perPage) return {lines_};

    std::vector<TStringList> pages;
    for (std::size_t first = 0; first < shown.size(); first += static_cast<std::size_t>(perPage)) {
        TStringList page;
        const std::size_t end = std::min(shown.size(), first + static_cast<std::size_t>(perPage));
        for (std::size_t k = first; k < end; ++k) page.Add(shown[k]);
        pages.push_back(std::move(page));
    }
    return pages;
}

}  // namespace pim
