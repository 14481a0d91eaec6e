#pragma once

#include <QString>

class ChannelTable;
class StringTable;
class Workspace;
struct LanguageTexts;

// What a change of interface language does to the program's data: the cell
// words and message texts, the channel grid's header row, the word lists of
// the function settings, and the word cells of the channel table. Window
// captions are each window's own business.
namespace LanguageSwitch
{

constexpr int LanguageCount = 3; // 1 simplified Chinese, 2 English, 3 traditional Chinese

// Base names of the language files: as the menu names them and as start-up
// does (the file name is matched without regard to case, so both find the
// same file). Empty outside 1..3.
QString menuBaseName(int language);
QString startupBaseName(int language);

// Applies a loaded table to the workspace. An entry the table lacks leaves
// its text as it was.
void apply(const StringTable &table, Workspace &workspace);

// The given language's word for a text that is one of the column's words in
// any of the three languages (or the given language's own word); empty for
// any other text and for columns that hold no words.
QString channelWord(int column, const QString &text, const LanguageTexts &texts);

// Rewrites every word cell that holds a word of any of the three languages
// into the given language's word; frequencies, numbers and unknown texts stay.
void rewriteChannelWords(ChannelTable &table, const LanguageTexts &texts);

} // namespace LanguageSwitch
