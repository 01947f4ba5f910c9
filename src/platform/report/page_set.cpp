#include "platform/report/page_set.hpp"

#include <stdexcept>

namespace vc::report {
namespace {

// A text's length, then its bytes: seven bits of the length a byte, low bits first.
void appendText(std::string& buffer, std::string_view text) {
  std::size_t n = text.size();
  do {
    const auto low = static_cast<unsigned char>(n & 0x7f);
    n >>= 7;
    buffer += static_cast<char>(n ? (low | 0x80) : low);
  } while (n);
  buffer.append(text);
}

std::string_view readText(std::string_view buffer, std::size_t& at) {
  std::size_t n = 0;
  int shift = 0;
  while (at < buffer.size()) {
    const auto byte = static_cast<unsigned char>(buffer[at++]);
    n |= static_cast<std::size_t>(byte & 0x7f) << shift;
    if (!(byte & 0x80)) break;
    shift += 7;
  }
  const std::string_view text = buffer.substr(at, n);
  at += text.size();
  return text;
}

}  // namespace

PageSet::PageSet(int paperWidth, int paperHeight, Orientation orientation)
    : paperWidth_(paperWidth), paperHeight_(paperHeight), orientation_(orientation) {}

int PageSet::pageWidth() const {
  return orientation_ == Orientation::portrait ? paperWidth_ : paperHeight_;
}

int PageSet::pageHeight() const {
  return orientation_ == Orientation::portrait ? paperHeight_ : paperWidth_;
}

PaperRect PageSet::at(const PrintedBand& band) const {
  const BandLayout& l = layout(band);
  return {band.x, band.y, l.width, l.height};
}

std::vector<PrintedItem> PageSet::items(const Page& page, const PrintedBand& band) const {
  const BandLayout& l = layout(band);
  std::vector<PrintedItem> items;
  items.reserve(l.items.size());
  std::size_t at = band.texts;
  for (const ItemLayout& item : l.items) {
    PrintedItem p;
    p.kind = item.kind;
    p.control = item.control;
    p.at = {band.x + item.at.x, band.y + item.at.y, item.at.width, item.at.height};
    p.font = &fonts_.at(static_cast<std::size_t>(item.font));
    p.align = item.align;
    p.fit = item.fit;
    p.encoding = item.encoding;
    p.transparent = item.transparent;
    p.text = readText(page.texts_, at);
    items.push_back(p);
  }
  return items;
}

int PageSet::addFont(const ui::Font& font) {
  for (std::size_t i = 0; i < fonts_.size(); ++i)
    if (fonts_[i].face == font.face && fonts_[i].points == font.points &&
        fonts_[i].weight == font.weight)
      return static_cast<int>(i);
  fonts_.push_back(font);
  return static_cast<int>(fonts_.size() - 1);
}

int PageSet::addLayout(BandLayout layout) {
  layouts_.push_back(std::move(layout));
  return static_cast<int>(layouts_.size() - 1);
}

const BandLayout& PageSet::layout(const PrintedBand& band) const {
  return layouts_.at(band.layout);
}

void PageSet::startPage(int number) {
  pages_.emplace_back(number);
}

void PageSet::place(int layout, int x, int y, const std::vector<std::string_view>& texts) {
  if (pages_.empty()) throw std::logic_error("a band placed before any page started");
  Page& page = pages_.back();
  const BandLayout& l = layouts_.at(static_cast<std::size_t>(layout));
  PrintedBand band;
  band.layout = static_cast<std::uint32_t>(layout);
  band.x = x;
  band.y = y;
  band.texts = static_cast<std::uint32_t>(page.texts_.size());
  for (std::size_t i = 0; i < l.items.size(); ++i)
    appendText(page.texts_, i < texts.size() ? texts[i] : std::string_view());
  page.bands_.push_back(band);
}

}  // namespace vc::report
