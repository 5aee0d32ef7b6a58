#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Reading a chat-completions reply back into one translation per input text.
namespace tessary::DeepSeekReply {

// choices[0].message.content must hold {"items":[{"id":i,"text":...}]} with every id 0..expecting-1
// present; a missing id throws countMismatch(expecting, distinct ids seen), an id repeated does not
// stand in for a missing one. A later item with the same id wins. Other shapes throw invalidResponse.
std::vector<std::string> parse(std::string_view data, std::size_t expecting);

// Models sometimes wrap JSON in a Markdown fence, with a language tag after the opening backticks.
std::string stripCodeFence(std::string_view content);

// The first 300 bytes of an error body as text; a character cut at the limit is dropped, any
// other ill-formed UTF-8 gives the empty text.
std::string errorBodyExcerpt(std::string_view data);

} // namespace tessary::DeepSeekReply
