#pragma once
// Captions and texts that more than one place of the program shows. UTF-8 texts that are not
// ASCII are shown through the wide API (see MsgBox::ask).
#include <string>
#include <string_view>

namespace kest {

// The message with the text in place of its first "%s".
inline std::string FileMessage(std::string_view pattern, std::string_view text) {
  std::string message(pattern);
  std::size_t at = message.find("%s");
  if (at != std::string::npos) message.replace(at, 2, text);
  return message;
}

}  // namespace kest

namespace kest::text {

// Message box captions.
inline constexpr const char* kCaption = "Kest";
inline constexpr const char* kCaptionError = "Kest error";
inline constexpr const char* kCaptionWarning = "Kest warning";
inline constexpr const char* kCaptionConfirm = "Kest confirm";
inline constexpr const char* kCaptionInfo = "Kest info";

// Window and menu texts.
inline constexpr const char* kMainWindowText = "Kest_main";
inline constexpr const char* kTitleStrip = "TORVANDE";
inline constexpr const char* kNoteWindowCaption = "Kest fast string";
inline constexpr const char* kSettingsHint = "Kest settings";
inline constexpr const char* kOpenDialogTitle = "Open file to reverse";

// After a refused write of Tools.ini at exit.
inline constexpr const char* kQuitWithoutSettings = "Quit without saving the settings?";

// Paths refused on the routes that add targets or hand them over; "%s" is the path.
inline constexpr const char* kControlCharactersText =
    "The path holds control characters (a line break, a tab, ...) and was not taken:\r\n%s";
inline constexpr const char* kTooLongToForwardText =
    "The path is too long to be handed to the running Kest (at most 243 characters):\r\n%s";
// A start that waited in vain for the window of a copy that is still starting.
inline constexpr const char* kNoWindowInTimeText =
    "The Kest that is starting opened no window within 15 seconds, and the path was not handed to it:\r\n%s";
inline constexpr const char* kNoWindowInTimeBareText = "The Kest that is starting opened no window within 15 seconds.";
// A start whose running copy did not take its path.
inline constexpr const char* kNoAnswerText =
    "The running Kest did not take the path: it did not answer within 10 seconds, or Windows kept this "
    "start from reaching it (a Kest run as administrator). The path was not handed to it:\r\n%s";
inline constexpr const char* kStillClosingText =
    "The running Kest is closing and did not end within 15 seconds, and the path was not handed to it:\r\n%s";

// The clipboard could not be opened; "%s" is the path.
inline constexpr const char* kPathNotCopiedText =
    "The clipboard is held by another program, and the path was not copied:\r\n%s";
inline constexpr const char* kHashesNotCopiedText =
    "The clipboard is held by another program, and the hashes of %s were not copied. The row's "
    "tooltip shows them.";
// The hashes are ready, but the clipboard has changed since they were asked for.
inline constexpr const char* kHashesOverNewerCopyText =
    "The hashes of %s are ready, and something else has been copied since they were asked for.\r\n"
    "Put the hashes on the clipboard in its place? The row's tooltip shows them either way.";

// F1 in the target list without a help file.
inline constexpr const char* kHelpQuestion = "Файл справки не найден. Хотите указать путь вручную?";

}  // namespace kest::text
