// The one-line input box: a caption, a prompt, an edit line and OK and
// Cancel, as the partial-match search asks for its text.
#pragma once

#include <QString>

class QWidget;

namespace nx {

// Shows the box modally with `value` in the edit; on OK, true with the
// entered text in `value`; on Cancel or the close box, false and `value`
// unchanged.
bool inputQuery(QWidget* parent, const QString& caption, const QString& prompt, QString& value);

}  // namespace nx
