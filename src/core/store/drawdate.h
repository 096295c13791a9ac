#pragma once

#include <QDate>
#include <QString>

namespace pirumoa {

// The first Numbers 4 draw; no draw can be older.
inline const QDate kFirstDrawDate{1994, 10, 7};

// A date as the user types or pastes it: 2026-08-21, 2026/8/21, 20260821, with or without
// the weekday the grid shows after it ("2026-08-21 (金)"), half- or full-width. An invalid
// QDate for anything that is no calendar date.
QDate parseDrawDate(const QString& text);

// Why a draw cannot have been on date: empty when it can (from the first draw to ten years
// after today).
QString drawDateProblem(const QDate& date, const QDate& today = QDate::currentDate());

// How the grid shows a stored date: "2026-08-21 (金)"; a text that is no date as it stands.
QString shownDrawDate(const QString& stored);

// The next draw day after date: Monday to Friday, none from 31 December to 3 January.
QDate nextDrawDay(const QDate& date);

}  // namespace pirumoa
