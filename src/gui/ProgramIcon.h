#pragma once

#include <QIcon>

// The program's icon: a handheld radio, from the SVG built into the program
// (data/icons/ktprog.svg).
QIcon programIcon();
