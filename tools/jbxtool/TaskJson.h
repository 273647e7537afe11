#pragma once

#include <QByteArray>

class TTask;
class TTaskList;

// One line of JSON per object, with the fields in file order (a JSON
// library would sort them). Strings are text; bytes that are not valid
// UTF-8 are shown decoded as Windows-1252 and also as hex under "<name>Hex".
// The header; `count` is the tasks the file counts, as far as it was read.
QByteArray TaskListHeaderJson(const TTaskList &list, int count);
QByteArray TaskJson(const TTask &task);
