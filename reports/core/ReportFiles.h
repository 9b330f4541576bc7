#pragma once

#include <QString>

// Where the client's report definitions are: in the program's folder (a build, or a copy of the
// program kept together with its reports), else in the folder an installation puts them in,
// found from the program's own folder (../share/inventory-request/reports). When neither holds
// the file, the path in the program's folder, so that a failure names it.
QString reportDefinitionPath(const QString &fileName);
