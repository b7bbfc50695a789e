#pragma once

#include <cstddef>
#include <cstdint>

// The numbers layout is built on, each named once: the page's margins, and
// the bounds that keep what a page writes from overflowing a product or
// making the layout allocate without end.

// The view's margins round the page flow.
inline constexpr int32_t kDefaultSideMargin = 12;
inline constexpr int32_t kDefaultTopMargin = 10;

// Blank lines before the first line of a flow: more than any block asks for,
// so that the first block of a page opens no blank line above itself.
inline constexpr int32_t kBlankLinesAtStart = 100;
// A block asks for no more blank lines after itself than this.
inline constexpr uint32_t kMaxBlankLinesAfter = 100;
// The blank-line count while the current line holds boxes.
inline constexpr int32_t kLineHasBoxes = -1;

// How far a line moves down when none of its boxes has a height.
inline constexpr int32_t kEmptyLineAdvance = 8;
inline constexpr int32_t kRuleHeight = 5;
inline constexpr int32_t kBulletSide = 8;

// Indent levels and first-line offsets, in indent units.
inline constexpr int32_t kMaxIndentLevel = 1000;
// Space beside a floating image, in pixels.
inline constexpr int32_t kMaxImageSpace = 4096;
// Image sides beyond this are a page's mistake, not a picture.
inline constexpr int32_t kMaxImageSide = 1 << 16;
// Form fields sized from numbers a page wrote are kept to a sane size.
inline constexpr int64_t kMaxControlSide = 1 << 16;

// Table borders and cell padding.
inline constexpr int32_t kMaxBorder = 1024;
// A table's width in percent of the line.
inline constexpr int64_t kMaxTablePercent = 1000;
// More columns than any real table has: a hostile colspan or row of cells
// cannot make the layout allocate, or loop over every row, without bound.
inline constexpr size_t kMaxTableColumns = 1024;
inline constexpr uint32_t kMaxRowSpan = 65536;
// The widest a measured cell or table may ask to be.
inline constexpr int64_t kMaxMeasuredWidth = 1 << 24;
