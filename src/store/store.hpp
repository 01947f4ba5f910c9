// The store's interface: the four files, their record buffers, their access and relation
// objects, and the thread set-up the frame runs.
#pragma once

// Record buffers AR1, AR2 (DATO), RES, RESA (MODULO, NOMBRE, TIPO, MODO, EXTERNAL,
// DIFERENTE), one set per thread.
#include "store/records.hpp"

// The declarations archivo1(), archivo2() (set, eof, next), resumen(), resumenAlias()
// (remove, stream, flush, records, clearToLowest, set by indmod or indnom, eof, next, add,
// deleteCurrent); attachThreadFiles and detachThreadFiles for the frame's thread hooks.
#include "store/declarations.hpp"

// Access and relation objects: the public references archivo1Access ...
// resumenAliasRelation (windows open and close files through the relations), and
// openFileAccess / closeFileAccess for the frame.
#include "store/file_access.hpp"
