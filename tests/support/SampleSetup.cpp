#include "support/SampleSetup.h"

SetupRecord sampleSetup() {
    SetupRecord record;
    record.leadName[1] = "abc";
    record.leadSkip[1] = true;
    record.leadName[2] = "LONGNAME12";
    record.frequency = 3;
    record.failureLimit = 2;
    record.failureResponse = 2;
    record.startupMode = 0;
    record.goodLimit = 1000;
    record.poorLimit = 257;
    record.shutOffTime = 65;
    return record;
}

SetupRecord sampleSetupReadBack() {
    SetupRecord record = sampleSetup();
    record.leadName[1] = "abc     ";
    record.leadName[2] = "LONGNAME";
    record.shutOffTime = 60;
    return record;
}
