// system locale port
