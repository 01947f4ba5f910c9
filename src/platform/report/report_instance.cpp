#include "platform/report/report_instance.hpp"

#include <algorithm>
#include <limits>
#include <stdexcept>

#include "platform/text/text_ops.hpp"

namespace vc::report {
namespace {

/// The font in force: `over`'s face and size where it gives them, else `base`'s.
ui::Font overlay(const ui::Font& base, const std::optional<ui::Font>& over) {
  if (!over) return base;
  ui::Font f = base;
  if (!over->face.empty()) f.face = over->face;
  if (over->points > 0) f.points = over->points;
  f.weight = over->weight;
  return f;
}

/// One line of text in the font, in thousandths of an inch, with room for the accents
/// above and the descenders below (1.2 times the size).
int lineHeight(const ui::Font& font) {
  const long long points = std::clamp(font.points > 0 ? font.points : 8, 1, 1000);
  return static_cast<int>((points * 1000 * 12 + 719) / 720);
}

bool overlapsVertically(int y1, int h1, int y2, int h2) {
  return y1 < y2 + std::max(h2, 1) && y2 < y1 + std::max(h1, 1);
}

int addFontOnce(std::vector<ui::Font>& fonts, const ui::Font& font) {
  for (std::size_t i = 0; i < fonts.size(); ++i)
    if (fonts[i].face == font.face && fonts[i].points == font.points &&
        fonts[i].weight == font.weight)
      return static_cast<int>(i);
  fonts.push_back(font);
  return static_cast<int>(fonts.size() - 1);
}

}  // namespace

ReportInstance::ReportInstance(const ReportSpec& structure, std::vector<ReportVariable> variables)
    : structure_(structure), variables_(std::move(variables)) {
  buildLayouts();
}

void ReportInstance::buildLayouts() {
  for (const BandSpec& def : structure_.bands) {
    const ui::Font bandFont = overlay(structure_.font, def.font);
    BandLayout layout;
    layout.kind = def.kind;
    layout.number = def.number;
    layout.width = def.at.width;
    layout.height = def.at.height;
    Band band;
    band.def = &def;

    // Heights first: the room a width from the picture takes depends on which controls
    // share its line.
    std::vector<int> heights;
    std::vector<ui::Font> fonts;
    for (const ReportControlSpec& c : def.controls) {
      fonts.push_back(overlay(bandFont, c.font));
      heights.push_back(c.at.height ? *c.at.height : lineHeight(fonts.back()));
    }
    for (std::size_t i = 0; i < def.controls.size(); ++i) {
      const ReportControlSpec& c = def.controls[i];
      ItemLayout item;
      item.kind = c.kind;
      item.control = c.number;
      item.at = {c.at.x, c.at.y, c.at.width.value_or(0), heights[i]};
      if (!c.at.width) {
        int right = def.at.width;
        for (std::size_t j = 0; j < def.controls.size(); ++j) {
          const ReportControlSpec& other = def.controls[j];
          if (j != i && other.at.x > c.at.x &&
              overlapsVertically(c.at.y, heights[i], other.at.y, heights[j]))
            right = std::min(right, other.at.x);
        }
        item.at.width = std::max(right - c.at.x, 0);
      }
      item.font = addFontOnce(fonts_, fonts[i]);
      item.align = c.align;
      if (c.flags & report_control_flag::fileName) {
        item.fit = TextFit::elideMiddle;
        item.encoding = TextEncoding::fileName;
      }
      item.transparent = (c.flags & report_control_flag::transparent) != 0;
      layout.items.push_back(item);

      Source source;
      source.picture = ui::parsePicture(c.picture);
      switch (c.kind) {
        case ReportControlKind::fixedText:
        case ReportControlKind::image:
          source.kind = Source::Kind::fixed;
          source.text = c.text;
          break;
        case ReportControlKind::variableText:
        case ReportControlKind::textBox: {
          source.kind = Source::Kind::variable;
          const auto found = std::find_if(variables_.begin(), variables_.end(),
                                          [&](const ReportVariable& v) { return v.name == c.use; });
          if (found == variables_.end() || !found->read)
            throw std::invalid_argument("report " + structure_.name + ": control " + c.equate +
                                        " shows " + c.use + ", which is not bound");
          source.variable = static_cast<std::size_t>(found - variables_.begin());
          break;
        }
        case ReportControlKind::pageNumber:
          source.kind = Source::Kind::pageNumber;
          break;
        case ReportControlKind::line:
          break;
      }
      band.sources.push_back(std::move(source));
    }
    band.layout = static_cast<int>(layouts_.size());
    layouts_.push_back(std::move(layout));
    bands_.push_back(std::move(band));
  }
}

void ReportInstance::open() {
  pages_.emplace(structure_.paperWidth, structure_.paperHeight, structure_.orientation);
  for (const ui::Font& f : fonts_) pages_->addFont(f);
  for (const BandLayout& l : layouts_) pages_->addLayout(l);
  onPage_ = false;
  detailOnPage_ = false;
  page_ = 0;
}

ReportInstance::Band* ReportInstance::bandByNumber(int number) {
  for (Band& b : bands_)
    if (b.def->number == number) return &b;
  return nullptr;
}

void ReportInstance::placeBand(Band& band, int x, int y) {
  scratch_.resize(band.sources.size());
  texts_.clear();
  for (std::size_t i = 0; i < band.sources.size(); ++i) {
    const Source& s = band.sources[i];
    switch (s.kind) {
      case Source::Kind::fixed:
        texts_.push_back(s.text);
        break;
      case Source::Kind::variable: {
        std::string_view value = variables_[*s.variable].read();
        // A text picture only cuts: that needs no copy. The blanks that pad a
        // fixed-length text are not part of it and are not printed.
        if (s.picture.kind == ui::Picture::Kind::text) {
          value = value.substr(0, static_cast<std::size_t>(s.picture.width));
        } else if (s.picture.kind != ui::Picture::Kind::none) {
          scratch_[i] = ui::formatPicture(s.picture, std::string(value));
          value = scratch_[i];
        }
        texts_.push_back(text::clip(value));
        break;
      }
      case Source::Kind::pageNumber:
        scratch_[i] = s.picture.kind == ui::Picture::Kind::none
                          ? std::to_string(page_)
                          : ui::formatPicture(s.picture, static_cast<long long>(page_));
        texts_.push_back(scratch_[i]);
        break;
      case Source::Kind::none:
        texts_.emplace_back();
        break;
    }
  }
  pages_->place(band.layout, x, y, texts_);
}

void ReportInstance::beginPage() {
  ++page_;
  pages_->startPage(page_);
  onPage_ = true;
  detailOnPage_ = false;
  cursor_ = structure_.detailArea.y;
  for (BandKind kind : {BandKind::form, BandKind::header})
    for (Band& b : bands_)
      if (b.def->kind == kind) placeBand(b, b.def->at.x, b.def->at.y);
}

PrintAnswer ReportInstance::print(int number) {
  if (!pages_) return PrintAnswer::notOpen;
  Band* band = bandByNumber(number);
  if (!band || band->def->kind != BandKind::detail) return PrintAnswer::notADetailBand;
  const int height = std::max(band->def->at.height, 0);
  const long long bottom =
      static_cast<long long>(structure_.detailArea.y) + structure_.detailArea.height;
  if (onPage_ && detailOnPage_ && static_cast<long long>(cursor_) + height > bottom) endPage();
  if (!onPage_) beginPage();
  placeBand(*band, structure_.detailArea.x + band->def->at.x, cursor_);
  detailOnPage_ = true;
  cursor_ = static_cast<int>(std::min<long long>(static_cast<long long>(cursor_) + height,
                                                 std::numeric_limits<int>::max()));
  return PrintAnswer::printed;
}

SetTextAnswer ReportInstance::setText(int control, std::string_view text) {
  for (Band& b : bands_)
    for (std::size_t i = 0; i < b.sources.size(); ++i)
      if (b.def->controls[i].number == control && b.sources[i].kind == Source::Kind::fixed) {
        b.sources[i].text = std::string(text);
        return SetTextAnswer::set;
      }
  return SetTextAnswer::noTextControl;
}

void ReportInstance::endPage() {
  if (!pages_ || !onPage_) return;
  for (Band& b : bands_)
    if (b.def->kind == BandKind::footer) placeBand(b, b.def->at.x, b.def->at.y);
  onPage_ = false;
}

PageSet ReportInstance::close() {
  if (!pages_)
    return PageSet(structure_.paperWidth, structure_.paperHeight, structure_.orientation);
  endPage();
  PageSet pages = std::move(*pages_);
  pages_.reset();
  return pages;
}

}  // namespace vc::report
