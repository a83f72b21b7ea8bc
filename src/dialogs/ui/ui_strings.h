#pragma once

namespace ov {

// String resources of the language packs that the controls and the live display use.

/// The message when a link cannot be opened.
inline constexpr unsigned kLinkFailedString = 25242;
/// The hand cursor over a link.
inline constexpr unsigned kLinkCursor = 25216;
/// The colour caption of the font dialog.
inline constexpr unsigned kColourCaptionString = 25304;

}  // namespace ov
