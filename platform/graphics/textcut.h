// Places where a line of text may be cut in two pieces that, measured and
// drawn each alone one after the other, show exactly what the whole line
// shows: a line too long to lay out at once is shown a piece at a time.
#pragma once

#include <cstddef>
#include <string_view>

// A place in Text (bytes in CodePage) where it may be cut: the last at or
// before Limit, else the first after it; Text's length when there is none
// (or Limit reaches the end). The pieces, side by side in a left-to-right
// paragraph, show what the whole shows as the canvas measures and draws a
// run (clusters, joining-script words, the bidirectional algorithm): the
// place lies between two characters that read left to right of their own, the
// second no combining mark; no direction embedding, override or isolate is
// open before it; and, when the text holds what has it reordered (characters
// of right-to-left scripts, Arabic digits, direction controls), no paired
// bracket is open before it either.
size_t TextCutNear(std::string_view text, size_t limit, unsigned codePage);
