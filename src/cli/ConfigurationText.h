#pragma once

#include <QString>

class Workspace;

// The configuration of a workspace as plain text for a terminal: the model,
// the band, the 16 channels as a table under the channel table's column
// headers, and every function setting with its selected item.
namespace ConfigurationText
{

QString format(const Workspace &workspace);

// The columns a text takes in a terminal: two for each East Asian wide
// character (the Chinese cell words), one for the others.
int displayWidth(const QString &text);

} // namespace ConfigurationText
