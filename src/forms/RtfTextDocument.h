#pragma once

#include "domain/help/RtfReader.h"

class QTextDocument;

// Fills a text document with the runs of a rich-text document, each character at the position
// it has in the runs' text. Runs without a size of their own take the document's default font.
void fillTextDocument(QTextDocument &target, const RtfDocument &source);
