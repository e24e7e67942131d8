#include "options/ui/CEdOpt2.h"

#include "base/ProgramValues.h"

#include <QCheckBox>
#include <QVBoxLayout>

CEdOpt2::CEdOpt2(const EditorAttributes &attributes, QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("CEdOpt2"));
    const auto box = [this](int id, const char *text, bool on) {
        auto *b = new QCheckBox(QString::fromLatin1(text), this);
        b->setObjectName(QStringLiteral("ctl_%1").arg(id));
        b->setChecked(on);
        return b;
    };
    m_formatting = box(1022, " Use &formatting", attributes.formatting);
    m_caseInsensitive = box(1020, " Use &case insensitive formatting", attributes.caseInsensitive);
    m_memberPopup = box(1021, " Allow &Member Popup windows", attributes.memberPopup);
    m_buildWindow = box(1023, " &Hide Build Window after assembly", attributes.hideBuildWindow);

    connect(m_caseInsensitive, &QCheckBox::clicked, this, [this](bool on) {
        EditorAttributes a = this->attributes();
        a.setCaseInsensitive(on);
        m_memberPopup->setChecked(a.memberPopup);
    });

    auto *layout = new QVBoxLayout(this);
    for (QCheckBox *b : {m_formatting, m_caseInsensitive, m_memberPopup, m_buildWindow})
        layout->addWidget(b);
    layout->addStretch();
}

EditorAttributes CEdOpt2::attributes() const
{
    EditorAttributes a;
    a.formatting = m_formatting->isChecked();
    a.caseInsensitive = m_caseInsensitive->isChecked();
    a.memberPopup = m_memberPopup->isChecked();
    a.hideBuildWindow = m_buildWindow->isChecked();
    return a;
}

void CEdOpt2::save(SettingsStore &store) const
{
    const EditorAttributes a = attributes();
    a.save(store);
    ProgramValues::instance().formatting = a.formatting;
}
