// The activity icon, repeat mode and the stop button around the line pump.
#include "link/reply.h"
#include "platform/app_paths.h"
#include "platform/picture.h"
#include "platform/working_files.h"
#include "ui/form1.h"

#include <QApplication>

void Form1::showIdleIcon()
{
    // An icon that cannot be loaded keeps the picture shown before.
    LoadPicture(ui.Picture1, appFilePath(idleIconName));
}

void Form1::showSpeakingIcon()
{
    LoadPicture(ui.Picture1, appFilePath(speakingIconName));
}

void Form1::Timer2_Timer()
{
    if (Snd_flg == 0)
        return;
    if (beginsWith(Rcv_dat, u"stt 0"))
        showIdleIcon();
    else if (beginsWith(Rcv_dat, u"stt 1"))
        showSpeakingIcon();
}

void Form1::Check1_Click()
{
    Rep_flg = ui.Check1->checkState() == Qt::Checked ? 1 : 0;
}

void Form1::Command18_Click()
{
    // Pressed again while the run is stopping: the operator will not wait for a module that
    // does not report idle; the run ends now. A double click is one press, not two.
    if (Snd_flg == 1 && Stop_flg == 1) {
        if (stopPressed_.isValid() && stopPressed_.elapsed() < QApplication::doubleClickInterval())
            return;
        endRun(RunOutcome::Abandoned);
        return;
    }
    Stop_flg = 1;
    stopPressed_.start();
}
