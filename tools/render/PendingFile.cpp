#include "PendingFile.h"

#include "InterruptCleanup.h"
#include "ToolError.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

PendingFile::PendingFile (const juce::File& targetFile, const juce::String& fileRole)
    : target (targetFile), role (fileRole)
{

    if (target.isDirectory())
        failWith ("cannot write " + describe() + ": it is a folder");

    if (! target.getParentDirectory().isDirectory())
        failWith ("cannot write " + describe() + ": the folder " + target.getParentDirectory().getFullPathName() + " does not exist");

    // Hidden and beside the target: a rename within one folder replaces the target in one step. The
    // name says what a leftover of a killed run was.
    temporary = target.getParentDirectory().getNonexistentChildFile ("." + target.getFileName() + ".partial", "", false);
    InterruptCleanup::removeOnInterrupt (temporary);
}

PendingFile::~PendingFile()
{
    discard();
}

void PendingFile::commit()
{
    // rename replaces the target in one step; juce::File::moveFileTo deletes it first, and a
    // failure after that would lose the old file.
    if (std::rename (temporary.getFullPathName().toRawUTF8(), target.getFullPathName().toRawUTF8()) != 0)
    {
        const juce::String reason (std::strerror (errno));
        discard();
        failWith ("cannot write " + describe() + ": " + reason);
    }

    InterruptCleanup::forget (temporary);
    temporary = juce::File();
}

void PendingFile::discard()
{
    if (temporary == juce::File())
        return;

    temporary.deleteFile();
    InterruptCleanup::forget (temporary);
    temporary = juce::File();
}

void PendingFile::write (const juce::MemoryBlock& data)
{
    {
        juce::FileOutputStream stream (temporary);

        if (stream.failedToOpen())
            failWith ("cannot write " + describe() + ": " + stream.getStatus().getErrorMessage());

        const auto written = stream.write (data.getData(), data.getSize());
        stream.flush();

        if (! written || stream.getStatus().failed())
            failWith ("writing " + describe() + " failed (is the disk full?)");
    }

    if (temporary.getSize() != static_cast<juce::int64> (data.getSize()))
        failWith ("writing " + describe() + " failed (is the disk full?)");

    commit();
}
