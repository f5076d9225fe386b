// The sign of a file that could be read in either encoding. It goes into the window's title
// beside whatever else the title shows, and goes when the send box next changes: from then on
// the box holds the operator's text, not the file's.
#include "ui/form1.h"

void Form1::showEncodingSign(const QString &sign)
{
    clearEncodingSign();
    encodingSign_ = sign;
    showSigns();
    // The import has set the box already: the next change is the operator's.
    encodingSignWatch_
        = connect(ui.Text1, &QPlainTextEdit::textChanged, this, [this] { clearEncodingSign(); });
}

void Form1::clearEncodingSign()
{
    if (encodingSign_.isEmpty())
        return;
    disconnect(encodingSignWatch_);
    encodingSign_.clear();
    showSigns();
}
