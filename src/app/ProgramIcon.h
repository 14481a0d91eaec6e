#pragma once

#include <QIcon>

// The program's icon: a handheld radio, drawn at start so no image file has
// to travel with the program.
QIcon programIcon();
