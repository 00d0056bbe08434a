#pragma once

namespace tarnvel {

class frmMain;
struct ProgramState;

// The loading points of the scheme: adding one of the three kinds and
// deleting one, and the commands of a point's view that leave the list (its
// loads and modes in their dialogs, the table of its mesh forces).
class LoadingPoints
{
public:
    LoadingPoints(frmMain &window, ProgramState &state);

    void mnuAddFree_Click();
    void mnuAddCill_Click();
    void mnuAddCon_Click();
    void mnuEditDelete_Click();

    void cmdPower();
    void cmdAddFPower();
    void cmdForse();

private:
    void addPoint(int group);
    bool isFirstPointFlag() const;

    frmMain &m_window;
    ProgramState &m_state;
};

} // namespace tarnvel
