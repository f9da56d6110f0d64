// SPDX-License-Identifier: GPL-3.0-or-later
#include "maker/SetMaker.h"

namespace kavimo::maker {

int cardSide(int pairs) { return pairs <= 10 ? 99 : 63; }
QRect largestCentredSquare(QSize) { return {}; }
QStringList naturalOrder(QStringList names) { return names; }
QStringList picturesIn(const QString&) { return {}; }
QImage uprightPicture(const QString&, QString*) { return {}; }
QImage cardPicture(const QImage&, QRect, int) { return {}; }
std::vector<Finding> checkSet(const QString&, const QString&) { return {}; }
std::vector<Finding> checkPlan(const SetPlan&) { return {}; }
SetPlan planFromPictures(const QStringList&, const QString&, const QString&, bool) { return {}; }
MakeResult writeSet(const SetPlan&) { return {}; }
std::optional<SetPlan> readSet(const QString&, QString*) { return std::nullopt; }
QString userDataDir() { return {}; }
bool soundPlayable(const QString&, QString*) { return false; }
bool speakToWav(const QString&, const QString&, QString*) { return false; }

}  // namespace kavimo::maker
