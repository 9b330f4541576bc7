#pragma once

#include <QString>

// The hospital-scale data set on a PostgreSQL server: a generated data folder (ScaleData) copied
// into a database that the administrator's set-up made, so both backends hold the same rows.
//
// A server keeps each loaded data set as a template database named after the data set and the
// server schema; a dump of it is cached beside the data folder, so a new server (each bench/run
// starts its own) restores it instead of loading the folder again. Benchmarks work on a copy of
// the template, so their saves and deletes never change it.
namespace ServerData {

// Sets up the empty database serverName names (ServerSetup, schema only) and copies every row of
// the data folder into it in one transaction (COPY), numbers the request lines after those copied
// and gathers the planner's statistics. Throws Error.
void load(const QString &folder, const QString &serverName);

// A fresh database on the server holding the data set of the folder, made from the server's
// template database of that data set (built first from the dump in dumpFolder or, without one, by
// load() and then dumped there). maintenanceServer names the server and a database to connect to
// for creating databases (e.g. "host=/tmp/pg user=postgres dbname=postgres"). Returns the server
// name of the new database. Throws Error.
QString workingDatabase(const QString &maintenanceServer, const QString &folder, const QString &dumpFolder,
                        const QString &workName);

// Removes a database made by workingDatabase (connections to it are ended).
void dropDatabase(const QString &maintenanceServer, const QString &name);

} // namespace ServerData
