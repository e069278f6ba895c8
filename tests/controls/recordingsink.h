#pragma once
// A message sink that records every box the controls show and answers OK.
#include "foundation/core/basicos.h"

#include <QList>
#include <QStringList>

struct RecordingSink : MessageSink {
    QStringList texts, captions;
    QList<unsigned> flags;
    int showMessage(const QString& text, const QString& caption, unsigned f) override
    {
        texts << text;
        captions << caption;
        flags << f;
        return idOk;
    }
};
