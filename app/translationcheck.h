#pragma once

class QByteArray;

// Whether a compiled translation (.qm) holds together: every block, context entry, hash entry and
// message that the toolkit's translator follows lies within the data. The translator trusts its
// file and reads past the end of a damaged one; a file that fails this check is not loaded.
// Translations that depend on other files are refused too, as they would reach beyond this one.
bool isSoundTranslation(const QByteArray &qm);
