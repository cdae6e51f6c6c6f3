namespace qk::ui::resources {}
