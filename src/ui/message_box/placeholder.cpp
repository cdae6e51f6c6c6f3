// replaced by the agent's message box
