// The benchmark sections; each prints its own table.
#pragma once

namespace sw::bench {

// OnConnection and OnStartupComplete of the Connect object in the simulated
// host, and its OnDisconnection.
void RunStartupBench();
// Block Senders and Block Domains on 1,000 selected messages against long
// stored lists, the add-in's commands against the reference algorithm; Block
// Senders on messages in one store and in three, with its host calls.
void RunCommandsBench();
// The Blocked Senders page: loading a long list, the search, the real sheet.
void RunOptionsBench();
// Putting the commands' additions back at disconnection.
void RunReapplyBench();
// Tidy's proposals and their application on a long list.
void RunTidyBench();
// Importing a long list file and exporting it.
void RunImportBench();
// Earlier messages found by the host: host calls against the folder's size.
void RunEarlierBench();
// The history of blocking runs: recording a run, loading a full history.
void RunHistoryBench();
// The host calls a command makes for the history, on 1,000 messages.
void RunRecordingBench();
// New mail from senders blocked since Outlook started: matching, events.
void RunNewMailBench();

} // namespace sw::bench
