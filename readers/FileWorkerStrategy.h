#pragma once
#include "readers/Parser.h"

class FileWorkerStrategy
{
public:
    FileWorkerStrategy();
};

// Runs beginParsing, parseFile and finishParsing in that order. 1 when all of
// them succeeded; 0 when one failed or threw, after an open transaction has
// been rolled back. Nothing thrown by a step leaves this function: on a worker
// thread it would end the program.
int runParserSteps(Parser *parser);
