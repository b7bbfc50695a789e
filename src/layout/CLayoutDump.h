#pragma once

#include <ostream>

class CLayoutEngine;

// Writes every display item of a layout as one JSON object per line, in
// line order (nested flows after the flow that holds them): the type, the
// rectangle and the item's fields, text items with their characters; then a
// last line with the document's extent. Layout tests and --dump-layout read
// it.
void DumpLayout(CLayoutEngine& engine, std::ostream& out);
