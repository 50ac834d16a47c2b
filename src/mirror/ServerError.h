// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSqlError>
#include <QString>

namespace tarvix::mirror {

// What a failure of the server means for the mirror.
enum class ServerFault {
    Unreachable,  // no answer: the connection failed or broke
    Denied,       // the server answered and refuses this bench (role, database, rights)
    Row,          // the server refuses one measurement's rows; the others may go on
};

// How a statement's failure is to be taken, by the server's SQLSTATE.
ServerFault classifyServerError(const QSqlError& error);

// The server's own words, one line, without the "ERROR:" and the SQLSTATE the driver adds.
QString serverMessage(const QSqlError& error);

// A connection the server refused, in the operator's words ("role lab does not exist"),
// or empty when no server answered.
QString refusedConnection(const QSqlError& error);

// A failure while the tables are made or upgraded, in the operator's words.
QString schemaProblem(const QSqlError& error);

}  // namespace tarvix::mirror
