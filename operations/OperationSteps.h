#pragma once

class OperationRunner;

// The steps operations are made of; each takes the runner that runs it. A step that starts a
// transfer or an identity request lets the runner go on once it has ended.
struct OperationSteps {
    // The instrument's identity: the one the request knows, or else asked for.
    static void askIdentity(OperationRunner& run);
    // Asked for again, whatever is known.
    static void askIdentityAgain(OperationRunner& run);
    // The catalogue's entry of the instrument's module type, when it has one.
    static void reportModule(OperationRunner& run);
    // The module transferred: chosen, or the instrument's own; fails when there is none.
    static void chooseModule(OperationRunner& run);
    static void nameSetupFile(OperationRunner& run);
    static void readSetup(OperationRunner& run);
    // After a read: the setup read is the outcome's, and kept.
    static void keepRead(OperationRunner& run);
    // After a read: the setup read compared with the request's.
    static void compareRead(OperationRunner& run);
    static void chooseSerial(OperationRunner& run);
    static void writeSetup(OperationRunner& run);
    // The setup written, read back from the instrument as it reports itself now.
    static void readBack(OperationRunner& run);
    // What was read back against what was written, the identity included.
    static void checkKept(OperationRunner& run);

private:
    // Ends the operation with why; a write refused before anything went out is in the record
    // all the same, saying why.
    static void refuse(OperationRunner& run, const char* why);
};
