#pragma once

class TTask;

// The one channel by which any part of the program tells the note window of
// a task what to do. Send() calls every registered note window at once, in
// the order they registered; only the window of that task acts.
enum TTaskSheetCode : int {
    TaskSheetShow = 0,    // show, come to the front, unroll
    TaskSheetClose = 1,   // close as if the user had closed it
    TaskSheetRefresh = 2, // re-read the task into the information panel
    TaskSheetReload = 3,  // the task changed elsewhere: show it anew, or close when no longer open
};

class TTaskSheetReceiver {
public:
    virtual void TaskSheetMessage(int code, TTask *task) = 0;

protected:
    ~TTaskSheetReceiver() = default;
};

// Sets up the channel; done once at start-up, before any window exists.
void RegisterTaskSheetMessage();
void AddTaskSheetReceiver(TTaskSheetReceiver *receiver);
void RemoveTaskSheetReceiver(TTaskSheetReceiver *receiver);
// Returns after every receiver has handled the message. A receiver removed
// while the message travels is not called any more; one added is not yet.
void SendTaskSheetMessage(int code, TTask *task);
