#pragma once

#include "core/files/ChannelCsv.h"

class QWidget;

// The question before a CSV import replaces the channel table: how many
// channels the list gives and every problem found, in a scrolling list of a
// fixed height so that a long list keeps the box within the screen. OK and
// Cancel; a list without a channel to import only says so, with OK.
namespace ImportBox
{

// Whether the user chose to import; false for Cancel, a closed box and a
// list without channels.
bool confirm(QWidget *parent, const LanguageTexts &texts, const ChannelCsv::Import &import,
             const QString &fileName);

} // namespace ImportBox
